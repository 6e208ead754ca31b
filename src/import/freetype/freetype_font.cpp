#include "import/freetype/freetype_font.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_BITMAP_H
#include FT_GZIP_H
#include FT_LZW_H
#include FT_MODULE_H
#include FT_OUTLINE_H
#include FT_SYSTEM_H

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <span>

#include "font/font_format.h"
#include "import/import_messages.h"
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

// One FreeType library with its own counted memory, and the face it opened from bytes that
// must outlive it.
class FreeTypeSession {
 public:
  FreeTypeSession() : memory_{&budget_, Allocate, Free, Reallocate} {
    if (FT_New_Library(&memory_, &library_) == 0)
      FT_Add_Default_Modules(library_);
    else
      library_ = nullptr;
  }
  ~FreeTypeSession() {
    if (face_ != nullptr)
      FT_Done_Face(face_);
    if (library_ != nullptr)
      FT_Done_Library(library_);
  }
  FreeTypeSession(const FreeTypeSession&) = delete;
  FreeTypeSession& operator=(const FreeTypeSession&) = delete;

  FT_Error Open(std::span<const std::uint8_t> bytes, long faceIndex) {
    if (library_ == nullptr)
      return FT_Err_Out_Of_Memory;
    return FT_New_Memory_Face(library_, bytes.data(), static_cast<FT_Long>(bytes.size()), faceIndex,
                              &face_);
  }
  FT_Library library() const { return library_; }
  FT_Memory memory() { return &memory_; }
  FT_Face face() const { return face_; }

 private:
  MemoryBudget budget_;
  FT_MemoryRec_ memory_;
  FT_Library library_ = nullptr;
  FT_Face face_ = nullptr;
};

// The failure of a font FreeType cannot open, in its own words.
Failure NotAFont(const char* file, FT_Error error) {
  return Failure::Because(msg::kImportNotAFont, file, DescribeFreeTypeError(error).c_str());
}

// The failure of a font whose rendering takes longer than the time limit.
Failure TooSlow(const char* file) {
  return Failure::Because(msg::kImportTooSlow, file,
                          static_cast<int>(kRenderTimeLimit.count() / 1000));
}

// ---- Compressed fonts (.pcf.gz, .pcf.Z)

using OpenCompressed = FT_Error (*)(FT_Stream stream, FT_Stream source);

// The decompressor for bytes that start as gzip or compress output; none for others.
OpenCompressed DecompressorFor(std::span<const std::uint8_t> bytes) {
  if (bytes.size() >= 2 && bytes[0] == 0x1F && bytes[1] == 0x8B)
    return FT_Stream_OpenGzip;
  if (bytes.size() >= 2 && bytes[0] == 0x1F && bytes[1] == 0x9D)
    return FT_Stream_OpenLZW;
  return nullptr;
}

// Inflates `packed` into `plain`, front to back in one pass, at most kMaxFontBytes. Given the
// compressed file, FreeType's font drivers would wind the decompressor back to the start for
// every read behind it, inflating the whole again for each glyph. `file` names the font.
Failure Inflate(const char* file, FT_Memory memory, OpenCompressed open,
                std::span<const std::uint8_t> packed, std::vector<std::uint8_t>& plain) {
  FT_StreamRec source{};
  source.base = const_cast<unsigned char*>(packed.data());
  source.size = packed.size();
  source.memory = memory;
  FT_StreamRec stream{};
  if (const FT_Error error = open(&stream, &source); error != 0)
    return NotAFont(file, error);
  constexpr std::size_t kChunk = std::size_t{1} << 16;
  plain.clear();
  bool whole = true;
  if (stream.read == nullptr) {  // a small file, which FreeType inflated whole at once
    plain.assign(stream.base, stream.base + stream.size);
  } else {
    for (;;) {
      const std::size_t at = plain.size();
      if (at >= static_cast<std::size_t>(kMaxFontBytes)) {
        unsigned char probe = 0;
        whole = stream.read(&stream, at, &probe, 1) == 0;
        break;
      }
      plain.resize(at + kChunk);
      const unsigned long got = stream.read(&stream, at, plain.data() + at, kChunk);
      plain.resize(at + got);
      if (got < kChunk)
        break;
    }
  }
  if (stream.close != nullptr)
    stream.close(&stream);
  if (!whole) {
    plain = {};
    return Failure::Because(msg::kImportInflatesTooLarge, file,
                            static_cast<int>(kMaxFontBytes >> 20));
  }
  return {};
}

// ---- Glyphs

// Stops the rendering at a moment set ahead.
class Deadline {
 public:
  explicit Deadline(std::chrono::milliseconds limit)
      : end_(std::chrono::steady_clock::now() + limit) {}
  bool Passed() const { return std::chrono::steady_clock::now() >= end_; }

 private:
  std::chrono::steady_clock::time_point end_;
};

// The bytes a row of `bitmap` needs in its pixel mode; 0 for a mode not known.
unsigned long RowBytes(const FT_Bitmap& bitmap) {
  const unsigned long width = bitmap.width;
  switch (bitmap.pixel_mode) {
    case FT_PIXEL_MODE_MONO:
      return (width + 7) / 8;
    case FT_PIXEL_MODE_GRAY2:
      return (width + 3) / 4;
    case FT_PIXEL_MODE_GRAY4:
      return (width + 1) / 2;
    case FT_PIXEL_MODE_GRAY:
    case FT_PIXEL_MODE_LCD:
    case FT_PIXEL_MODE_LCD_V:
      return width;
    case FT_PIXEL_MODE_BGRA:
      return width * 4;
    default:
      return 0;
  }
}

enum class BitmapUse { Usable, NoInk, Damaged };

// Whether a bitmap FreeType handed back can be read: one without rows, columns or a buffer (a
// BDF glyph whose BITMAP section is missing) has no ink; one whose rows are wider than their
// pitch, or of a mode not known, is damaged.
BitmapUse CheckBitmap(const FT_Bitmap& bitmap) {
  if (bitmap.width == 0 || bitmap.rows == 0 || bitmap.buffer == nullptr)
    return BitmapUse::NoInk;
  const unsigned long rowBytes = RowBytes(bitmap);
  const auto pitch = static_cast<unsigned long>(std::labs(static_cast<long>(bitmap.pitch)));
  return rowBytes == 0 || pitch < rowBytes ? BitmapUse::Damaged : BitmapUse::Usable;
}

// A rendered glyph's bitmap as 8-bit coverage, 0 to 255, whatever FreeType's pixel mode:
// black-and-white, 2-, 4- or 8-bit grey, or colour (its coverage as FreeType converts it).
struct Coverage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> values;
};

// Takes the coverage of `source`, a usable bitmap; FreeType's error when converting it fails.
FT_Error TakeCoverage(FT_Library library, const FT_Bitmap& source, Coverage& coverage) {
  FT_Bitmap grey;
  FT_Bitmap_Init(&grey);
  const FT_Bitmap* bitmap = &source;
  if (source.pixel_mode != FT_PIXEL_MODE_GRAY) {
    FT_Error error = FT_Bitmap_Convert(library, &source, &grey, 1);
    if (error == 0 && CheckBitmap(grey) != BitmapUse::Usable)
      error = FT_Err_Invalid_Argument;
    if (error != 0) {
      FT_Bitmap_Done(library, &grey);
      return error;
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
  return 0;
}

struct LoadMode {
  FT_Int32 loadFlags = FT_LOAD_DEFAULT;
  FT_Render_Mode renderMode = FT_RENDER_MODE_NORMAL;
};

// True when the loaded outline spans more than a font holds either way, so that whatever it
// renders to is too large: such an outline is never rendered.
bool OutlineTooLarge(const FT_GlyphSlot slot) {
  if (slot->format != FT_GLYPH_FORMAT_OUTLINE)
    return false;
  FT_BBox box;
  FT_Outline_Get_CBox(&slot->outline, &box);
  constexpr long kMostSpan = long{kMaxByteField} * 64;  // 26.6 fixed point
  return box.xMax - box.xMin > kMostSpan || box.yMax - box.yMin > kMostSpan;
}

// Loads and renders one glyph; its bitmap is in the face's glyph slot. An outline that would
// render larger than a font holds is left unrendered, and `tooLarge` set.
FT_Error RenderGlyph(FT_Face face, FT_UInt index, const LoadMode& mode, bool& tooLarge) {
  tooLarge = false;
  FT_Error error = FT_Load_Glyph(face, index, mode.loadFlags);
  if (error != 0 || face->glyph->format == FT_GLYPH_FORMAT_BITMAP)
    return error;
  tooLarge = OutlineTooLarge(face->glyph);
  return tooLarge ? 0 : FT_Render_Glyph(face->glyph, mode.renderMode);
}

// True when every character renders in the default mode with coverage of only 0 and 255.
bool IsPixelFontAtSize(FT_Face face, const std::vector<FT_UInt>& indices,
                       const Deadline& deadline) {
  for (const FT_UInt index : indices) {
    bool tooLarge = false;
    if (deadline.Passed() || RenderGlyph(face, index, {}, tooLarge) != 0 || tooLarge)
      return false;
    const FT_Bitmap& bitmap = face->glyph->bitmap;
    const BitmapUse use = CheckBitmap(bitmap);
    if (use == BitmapUse::NoInk || bitmap.pixel_mode == FT_PIXEL_MODE_MONO)
      continue;
    if (use == BitmapUse::Damaged || bitmap.pixel_mode != FT_PIXEL_MODE_GRAY)
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

// Picks the bitmap font's strike: the one `size` pixels high, or the first, whose height goes
// into `chosenSize`. `file` names the font.
Failure SelectStrike(const char* file, FT_Face face, const std::optional<int>& size,
                     int& chosenSize) {
  if (face->num_fixed_sizes <= 0 || face->available_sizes == nullptr)
    return Failure::Because(msg::kImportNoStrikes, file);
  int chosen = size ? -1 : 0;
  for (int i = 0; i < face->num_fixed_sizes && chosen < 0; ++i) {
    const FT_Bitmap_Size& strike = face->available_sizes[i];
    if (strike.height == *size || (strike.y_ppem + 32) / 64 == *size)
      chosen = i;
  }
  if (chosen < 0) {
    std::string sizes;
    for (int i = 0; i < face->num_fixed_sizes; ++i)
      sizes +=
          (i == 0 ? "" : msg::kListSeparator) + std::to_string(face->available_sizes[i].height);
    return Failure::Because(msg::kImportNoSuchStrike, file, *size, sizes.c_str());
  }
  chosenSize = face->available_sizes[chosen].height;
  if (const FT_Error error = FT_Select_Size(face, chosen); error != 0)
    return Failure::Because(msg::kImportCannotSize, file, chosenSize,
                            DescribeFreeTypeError(error).c_str());
  return {};
}

// The larger side, in whole pixels, of the box that holds every glyph of a scalable font at the
// size set.
long DesignSide(FT_Face face) {
  const FT_Size_Metrics& metrics = face->size->metrics;
  const long width = FT_MulFix(face->bbox.xMax - face->bbox.xMin, metrics.x_scale);
  const long height = FT_MulFix(face->bbox.yMax - face->bbox.yMin, metrics.y_scale);
  return (std::max(std::labs(width), std::labs(height)) + 63) / 64;
}

// Sets a scalable font's size, into `chosenSize`: the one asked for, whose design must fit
// kMaxDesignSide, or the smallest that is a pixel font (sizes at which the design does not fit
// are passed over). `file` names the font.
Failure SelectPixelSize(const char* file, FT_Face face, const std::optional<int>& size,
                        const std::vector<FT_UInt>& indices, const Deadline& deadline,
                        int& chosenSize) {
  if (size) {
    chosenSize = *size;
    if (const FT_Error error = FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(*size)); error != 0)
      return Failure::Because(msg::kImportCannotSize, file, *size,
                              DescribeFreeTypeError(error).c_str());
    if (const long side = DesignSide(face); side > kMaxDesignSide)
      return Failure::Because(msg::kImportDesignTooLarge, file,
                              static_cast<int>(std::min<long>(side, 1L << 30)), *size,
                              kMaxDesignSide);
    return {};
  }
  for (int tried = kSmallestPixelFontSize; tried <= kLargestPixelFontSize; ++tried) {
    if (deadline.Passed())
      return TooSlow(file);
    if (FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(tried)) == 0 &&
        DesignSide(face) <= kMaxDesignSide && IsPixelFontAtSize(face, indices, deadline)) {
      chosenSize = tried;
      return {};
    }
  }
  if (deadline.Passed())
    return TooSlow(file);
  return Failure::Because(msg::kImportNotPixelFont, file, kSmallestPixelFontSize,
                          kLargestPixelFontSize);
}

// Opens the face `options` ask for; a face index past the end of a collection is told from a
// broken file by asking for the count of faces. `file` names the font.
Failure OpenFace(const char* file, FreeTypeSession& session, std::span<const std::uint8_t> bytes,
                 const FreeTypeOptions& options) {
  const FT_Error error = session.Open(bytes, options.faceIndex);
  if (error == 0)
    return {};
  FreeTypeSession counter;
  if (options.faceIndex > 0 && counter.Open(bytes, -1) == 0 &&
      options.faceIndex >= counter.face()->num_faces)
    return Failure::Because(msg::kImportNoSuchFace, file,
                            static_cast<int>(counter.face()->num_faces));
  return NotAFont(file, error);
}

// How the glyphs are rendered, and what a failure to render one says besides the character: the
// font's file, the size, and how to ask the font for smaller glyphs.
struct Rendering {
  FreeTypeSession& session;
  const char* file;
  LoadMode mode;
  int size;
  FontKind kind;

  Failure CannotRender(const std::string& character, FT_Error error) const {
    return Failure::Because(msg::kImportCannotRender, file, character.c_str(), size,
                            DescribeFreeTypeError(error).c_str());
  }
};

// Renders the character `code`, whose glyph is `index`, into `glyph`.
Failure ReadGlyph(const Rendering& rendering, FT_UInt index, std::uint8_t code,
                  ImportedGlyph& glyph) {
  const FT_Face face = rendering.session.face();
  const char* file = rendering.file;
  const std::string character = DescribeCharacter(code);
  bool tooLarge = false;
  if (const FT_Error error = RenderGlyph(face, index, rendering.mode, tooLarge); error != 0)
    return rendering.CannotRender(character, error);
  const FT_Bitmap& bitmap = face->glyph->bitmap;
  const BitmapUse use = tooLarge ? BitmapUse::Usable : CheckBitmap(bitmap);
  if (tooLarge ||
      (use == BitmapUse::Usable && (bitmap.width > kMaxByteField || bitmap.rows > kMaxByteField)))
    return Failure::Because(msg::kImportGlyphTooLarge, file, character.c_str(), kMaxByteField,
                            rendering.size, SmallerGlyphs(rendering.kind));
  if (use == BitmapUse::Damaged)
    return Failure::Because(msg::kImportBadBitmap, file, character.c_str(), rendering.size);
  glyph = {};
  glyph.code = code;
  glyph.left = face->glyph->bitmap_left;
  glyph.top = face->glyph->bitmap_top;
  glyph.advance = static_cast<int>((face->glyph->advance.x + 32) >> 6);
  if (use == BitmapUse::NoInk)
    return {};
  Coverage coverage;
  if (const FT_Error error = TakeCoverage(rendering.session.library(), bitmap, coverage);
      error != 0)
    return rendering.CannotRender(character, error);
  glyph.width = coverage.width;
  glyph.height = coverage.height;
  glyph.samples.reserve(coverage.values.size());
  for (const std::uint8_t value : coverage.values) glyph.samples.push_back(QuantiseCoverage(value));
  return {};
}

}  // namespace

Failure ReadFreeTypeFont(const std::string& path, std::vector<std::uint8_t> bytes,
                         const FreeTypeOptions& options, const std::vector<std::uint8_t>& codes,
                         ImportedFont& font) {
  const char* file = path.c_str();
  const Deadline deadline(options.timeLimit);
  FreeTypeSession session;
  if (const OpenCompressed open = DecompressorFor(bytes); open != nullptr) {
    std::vector<std::uint8_t> inflated;
    if (Failure failure = Inflate(file, session.memory(), open, bytes, inflated); failure.Failed())
      return failure;
    bytes = std::move(inflated);
  }
  if (Failure failure = OpenFace(file, session, bytes, options); failure.Failed())
    return failure;
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
  int size = 0;
  if (Failure failure = scalable
                            ? SelectPixelSize(file, face, options.size, indices, deadline, size)
                            : SelectStrike(file, face, options.size, size);
      failure.Failed())
    return failure;

  LoadMode mode;
  if (scalable && options.mono)
    mode = {FT_LOAD_TARGET_MONO, FT_RENDER_MODE_MONO};
  font = {};
  font.description = Format(msg::kFreeTypeDescription, face->family_name ? face->family_name : "",
                            face->style_name ? face->style_name : "", size,
                            !scalable      ? msg::kBitmapMode
                            : options.mono ? msg::kMonoMode
                                           : msg::kGreyMode);
  font.kind = scalable ? FontKind::Scalable : FontKind::Bitmap;
  const Rendering rendering{session, file, mode, size, font.kind};
  for (const std::uint8_t code : codes) {
    const FT_UInt index = FT_Get_Char_Index(face, code);
    if (index == 0) {
      font.missing.push_back(code);
      continue;
    }
    if (deadline.Passed())
      return TooSlow(file);
    if (Failure failure = ReadGlyph(rendering, index, code, font.glyphs.emplace_back());
        failure.Failed())
      return failure;
  }
  if (const FT_UInt space = FT_Get_Char_Index(face, ' ');
      space != 0 && FT_Load_Glyph(face, space, mode.loadFlags) == 0)
    font.spaceAdvance = static_cast<int>((face->glyph->advance.x + 32) >> 6);
  if (FT_HAS_KERNING(face))
    font.kerningPairs = -1;  // FreeType does not count them; the font has some
  return {};
}

std::string DescribeFreeTypeError(int error) {
  if (error == FT_Err_Out_Of_Memory)
    return Format(msg::kFreeTypeOutOfMemory, static_cast<int>(kFreeTypeMemoryLimit >> 20));
  const char* text = nullptr;
  switch (error) {
#undef FTERRORS_H_
#define FT_ERRORDEF(e, v, s) \
  case v:                    \
    text = s;                \
    break;
#define FT_ERROR_START_LIST
#define FT_ERROR_END_LIST
#include FT_ERRORS_H
    default:
      break;
  }
  return text != nullptr ? text : Format(msg::kFreeTypeErrorCode, error);
}

}  // namespace typekiln
