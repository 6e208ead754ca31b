#include "import/freetype_font.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_BITMAP_H
#include FT_MODULE_H

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "font/font_format.h"
#include "report/console.h"

namespace typekiln {

namespace {

// FreeType's memory, counted: an allocation that would take the font past kFreeTypeMemoryLimit
// fails, and FreeType reports that as an error of the font. Each block carries its size ahead of
// it, so that freeing and growing can count.
struct MemoryBudget {
  std::size_t used = 0;
};

constexpr std::size_t kBlockHeader = alignof(std::max_align_t);

void* Allocate(FT_Memory memory, long size) {
  auto* budget = static_cast<MemoryBudget*>(memory->user);
  const auto bytes = static_cast<std::size_t>(size);
  if (size <= 0 || bytes > kFreeTypeMemoryLimit - budget->used)
    return nullptr;
  auto* block = static_cast<unsigned char*>(std::malloc(bytes + kBlockHeader));
  if (block == nullptr)
    return nullptr;
  std::memcpy(block, &bytes, sizeof bytes);
  budget->used += bytes;
  return block + kBlockHeader;
}

void Free(FT_Memory memory, void* pointer) {
  if (pointer == nullptr)
    return;
  auto* block = static_cast<unsigned char*>(pointer) - kBlockHeader;
  std::size_t bytes = 0;
  std::memcpy(&bytes, block, sizeof bytes);
  static_cast<MemoryBudget*>(memory->user)->used -= bytes;
  std::free(block);
}

void* Reallocate(FT_Memory memory, long, long newSize, void* pointer) {
  void* grown = Allocate(memory, newSize);
  if (grown == nullptr || pointer == nullptr)
    return grown;
  std::size_t bytes = 0;
  std::memcpy(&bytes, static_cast<unsigned char*>(pointer) - kBlockHeader, sizeof bytes);
  std::memcpy(grown, pointer, std::min(bytes, static_cast<std::size_t>(newSize)));
  Free(memory, pointer);
  return grown;
}

// One FreeType library with its own counted memory, and the face it opened.
class FreeTypeSession {
 public:
  FreeTypeSession() : memory_{&budget_, Allocate, Free, Reallocate} {}
  ~FreeTypeSession() {
    if (face_ != nullptr)
      FT_Done_Face(face_);
    if (library_ != nullptr)
      FT_Done_Library(library_);
  }
  FreeTypeSession(const FreeTypeSession&) = delete;
  FreeTypeSession& operator=(const FreeTypeSession&) = delete;

  FT_Error Open(const std::string& path, long faceIndex) {
    FT_Error error = FT_New_Library(&memory_, &library_);
    if (error != 0)
      return error;
    FT_Add_Default_Modules(library_);
    return FT_New_Face(library_, path.c_str(), faceIndex, &face_);
  }
  FT_Library library() const { return library_; }
  FT_Face face() const { return face_; }

 private:
  MemoryBudget budget_;
  FT_MemoryRec_ memory_;
  FT_Library library_ = nullptr;
  FT_Face face_ = nullptr;
};

// A rendered glyph's bitmap as 8-bit coverage, 0 to 255, whatever FreeType's pixel mode:
// black-and-white, 2-, 4- or 8-bit grey, or colour (its coverage as FreeType converts it).
struct Coverage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> values;
};

bool TakeCoverage(FT_Library library, const FT_Bitmap& source, Coverage& coverage) {
  FT_Bitmap grey;
  FT_Bitmap_Init(&grey);
  const FT_Bitmap* bitmap = &source;
  if (source.pixel_mode != FT_PIXEL_MODE_GRAY) {
    if (FT_Bitmap_Convert(library, &source, &grey, 1) != 0) {
      FT_Bitmap_Done(library, &grey);
      return false;
    }
    bitmap = &grey;
  }
  coverage.width = static_cast<int>(bitmap->width);
  coverage.height = static_cast<int>(bitmap->rows);
  coverage.values.assign(static_cast<std::size_t>(coverage.width) * coverage.height, 0);
  const unsigned levels = bitmap->num_grays > 1 ? bitmap->num_grays - 1u : 1u;
  // A negative pitch stores the rows bottom first; row 0 is the top one either way.
  const long pitch = bitmap->pitch;
  for (int row = 0; row < coverage.height; ++row) {
    const unsigned char* line = pitch >= 0 ? bitmap->buffer + row * pitch
                                           : bitmap->buffer + (coverage.height - 1 - row) * -pitch;
    for (int column = 0; column < coverage.width; ++column) {
      const unsigned value = std::min<unsigned>(line[column], levels);
      coverage.values[static_cast<std::size_t>(row) * coverage.width + column] =
          static_cast<std::uint8_t>((value * 255 + levels / 2) / levels);
    }
  }
  FT_Bitmap_Done(library, &grey);
  return true;
}

struct LoadMode {
  FT_Int32 loadFlags = FT_LOAD_DEFAULT;
  FT_Render_Mode renderMode = FT_RENDER_MODE_NORMAL;
};

// Loads and renders one glyph; its bitmap is in the face's glyph slot.
FT_Error RenderGlyph(FT_Face face, FT_UInt index, const LoadMode& mode) {
  FT_Error error = FT_Load_Glyph(face, index, mode.loadFlags);
  if (error == 0 && face->glyph->format != FT_GLYPH_FORMAT_BITMAP)
    error = FT_Render_Glyph(face->glyph, mode.renderMode);
  return error;
}

// True when every character renders in the default mode with coverage of only 0 and 255.
bool IsPixelFontAtSize(FT_Face face, const std::vector<FT_UInt>& indices) {
  for (const FT_UInt index : indices) {
    if (RenderGlyph(face, index, {}) != 0)
      return false;
    const FT_Bitmap& bitmap = face->glyph->bitmap;
    if (bitmap.pixel_mode == FT_PIXEL_MODE_MONO)
      continue;
    if (bitmap.pixel_mode != FT_PIXEL_MODE_GRAY)
      return false;
    for (unsigned row = 0; row < bitmap.rows; ++row) {
      const unsigned char* line = bitmap.buffer + static_cast<long>(row) * std::abs(bitmap.pitch);
      for (unsigned column = 0; column < bitmap.width; ++column)
        if (line[column] != 0 && line[column] != 255)
          return false;
    }
  }
  return true;
}

// Picks the bitmap font's strike: the one `size` pixels high, or the first.
bool SelectStrike(FT_Face face, const std::optional<int>& size, FreeTypeFailure& failure) {
  int chosen = size ? -1 : 0;
  for (int i = 0; i < face->num_fixed_sizes && chosen < 0; ++i) {
    const FT_Bitmap_Size& strike = face->available_sizes[i];
    if (strike.height == *size || (strike.y_ppem + 32) / 64 == *size)
      chosen = i;
  }
  if (chosen < 0) {
    failure.problem = FreeTypeProblem::NoSuchStrike;
    failure.size = *size;
    for (int i = 0; i < face->num_fixed_sizes; ++i)
      failure.sizes +=
          (i == 0 ? "" : msg::kListSeparator) + std::to_string(face->available_sizes[i].height);
    return false;
  }
  if (const FT_Error error = FT_Select_Size(face, chosen); error != 0) {
    failure = {FreeTypeProblem::CannotSize, error, 0, face->available_sizes[chosen].height, 0, {}};
    return false;
  }
  failure.size = face->available_sizes[chosen].height;
  return true;
}

// Sets a scalable font's size: the one asked for, or the smallest that is a pixel font.
bool SelectPixelSize(FT_Face face, const std::optional<int>& size,
                     const std::vector<FT_UInt>& indices, FreeTypeFailure& failure) {
  if (size) {
    failure.size = *size;
    if (const FT_Error error = FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(*size));
        error != 0) {
      failure = {FreeTypeProblem::CannotSize, error, 0, *size, 0, {}};
      return false;
    }
    return true;
  }
  for (int tried = kSmallestPixelFontSize; tried <= kLargestPixelFontSize; ++tried) {
    if (FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(tried)) == 0 &&
        IsPixelFontAtSize(face, indices)) {
      failure.size = tried;
      return true;
    }
  }
  failure.problem = FreeTypeProblem::NotPixelFont;
  return false;
}

}  // namespace

bool ReadFreeTypeFont(const std::string& path, const FreeTypeOptions& options,
                      const std::vector<std::uint8_t>& codes, ImportedFont& font,
                      FreeTypeFailure& failure) {
  failure = {};
  FreeTypeSession session;
  if (const FT_Error error = session.Open(path, options.faceIndex); error != 0) {
    // Asking for the count of faces tells a face index past the end from a broken file.
    FreeTypeSession counter;
    if (options.faceIndex > 0 && counter.Open(path, -1) == 0 &&
        options.faceIndex >= counter.face()->num_faces) {
      failure.problem = FreeTypeProblem::NoSuchFace;
      failure.count = static_cast<int>(counter.face()->num_faces);
    } else {
      failure.problem = FreeTypeProblem::CannotOpen;
      failure.error = error;
    }
    return false;
  }
  const FT_Face face = session.face();
  if (FT_Select_Charmap(face, FT_ENCODING_UNICODE) != 0 && face->charmap == nullptr &&
      face->num_charmaps > 0)
    FT_Set_Charmap(face, face->charmaps[0]);

  std::vector<FT_UInt> indices;
  for (const std::uint8_t code : codes) {
    if (const FT_UInt index = FT_Get_Char_Index(face, code); index != 0)
      indices.push_back(index);
  }
  const bool scalable = FT_IS_SCALABLE(face);
  if (scalable ? !SelectPixelSize(face, options.size, indices, failure)
               : !SelectStrike(face, options.size, failure))
    return false;
  const int size = failure.size;

  LoadMode mode;
  if (scalable && options.mono)
    mode = {FT_LOAD_TARGET_MONO, FT_RENDER_MODE_MONO};
  font = {};
  font.description = Format(msg::kFreeTypeDescription, face->family_name ? face->family_name : "",
                            face->style_name ? face->style_name : "", size,
                            !scalable      ? msg::kBitmapMode
                            : options.mono ? msg::kMonoMode
                                           : msg::kGreyMode);
  for (const std::uint8_t code : codes) {
    const FT_UInt index = FT_Get_Char_Index(face, code);
    if (index == 0) {
      font.missing.push_back(code);
      continue;
    }
    Coverage coverage;
    if (const FT_Error error = RenderGlyph(face, index, mode);
        error != 0 || !TakeCoverage(session.library(), face->glyph->bitmap, coverage)) {
      failure = {FreeTypeProblem::CannotRender, error, 0, size, code, {}};
      return false;
    }
    if (coverage.width > kMaxByteField || coverage.height > kMaxByteField) {
      failure = {FreeTypeProblem::TooLarge, 0, 0, size, code, {}};
      return false;
    }
    ImportedGlyph glyph;
    glyph.code = code;
    glyph.width = coverage.width;
    glyph.height = coverage.height;
    glyph.left = face->glyph->bitmap_left;
    glyph.top = face->glyph->bitmap_top;
    glyph.advance = static_cast<int>((face->glyph->advance.x + 32) >> 6);
    glyph.samples.reserve(coverage.values.size());
    for (const std::uint8_t value : coverage.values)
      glyph.samples.push_back(QuantiseCoverage(value));
    font.glyphs.push_back(std::move(glyph));
  }
  if (const FT_UInt space = FT_Get_Char_Index(face, ' ');
      space != 0 && FT_Load_Glyph(face, space, mode.loadFlags) == 0)
    font.spaceAdvance = static_cast<int>((face->glyph->advance.x + 32) >> 6);
  if (FT_HAS_KERNING(face))
    font.kerningPairs = -1;  // FreeType does not count them; the font has some
  return true;
}

}  // namespace typekiln
