#include "glyph/grabber.h"

#include <algorithm>
#include <cstring>

#include "report/messages.h"
#include "script/line_scanner.h"

namespace typekiln {

namespace {

// A pixel's four bytes as one word, which is zero only when every byte is: ink is any byte set.
std::uint32_t Word(const std::uint8_t* pixel) {
  std::uint32_t word;
  std::memcpy(&word, pixel, sizeof word);
  return word;
}

}  // namespace

bool IsInk(const std::uint8_t* pixel) { return Word(pixel) != 0; }

const char* Band::Read(Image& image, std::int64_t first, std::int64_t end,
                       std::int64_t fromColumn) {
  first_ = first;
  end_ = std::max(first, end);
  fromColumn_ = fromColumn;
  ink_.assign(static_cast<std::size_t>(std::max<std::int64_t>(image.width - fromColumn, 0)), 0);
  if (rows() == 0 || ink_.empty())
    return nullptr;
  if (const char* failure = ReadRows(image, first_, end_, rows_))
    return failure;
  // Row by row, as the rows lie in memory.
  for (std::int64_t row = 0; row < rows(); ++row) {
    const std::uint8_t* pixel = rows_.Pixel(row, fromColumn_);
    for (std::uint32_t& column : ink_) {
      column |= Word(pixel);
      pixel += kBytesPerPixel;
    }
  }
  return nullptr;
}

bool Band::ColumnHasInk(std::int64_t column) const {
  const std::int64_t at = column - fromColumn_;
  return at >= 0 && at < static_cast<std::int64_t>(ink_.size()) &&
         ink_[static_cast<std::size_t>(at)] != 0;
}

bool Band::RowHasInk(std::int64_t row, std::int64_t left, std::int64_t right) const {
  const std::uint8_t* pixel = rows_.Pixel(row, left);
  std::uint32_t any = 0;
  for (std::int64_t column = left; column < right; ++column, pixel += kBytesPerPixel)
    any |= Word(pixel);
  return any != 0;
}

void Band::CopyAlpha(std::int64_t top, std::int64_t end, std::int64_t left, std::int64_t right,
                     std::uint8_t* out) const {
  for (std::int64_t row = top; row < end; ++row) {
    const std::uint8_t* pixel = rows_.Pixel(row, left) + kAlphaByte;
    for (std::int64_t column = left; column < right; ++column, pixel += kBytesPerPixel)
      *out++ = *pixel;
  }
}

GrabResult GrabGlyph(BuildState& state, const Band& band, Glyph& glyph) {
  const std::int64_t width = state.image.width;
  std::int64_t left = std::max<std::int64_t>(state.cursor.x, 0);
  while (left < width && !band.ColumnHasInk(left)) ++left;
  if (left >= width) {
    state.cursor.x = state.image.width;
    return GrabResult::NotFound;
  }
  std::int64_t right = left + 1;
  while (right < width && band.ColumnHasInk(right)) ++right;
  // Column `left` has ink in the band, so both searches stop inside it.
  std::int64_t top = 0;
  while (!band.RowHasInk(top, left, right)) ++top;
  std::int64_t bottom = band.rows() - 1;
  while (!band.RowHasInk(bottom, left, right)) --bottom;

  const std::int64_t size = (right - left) * (bottom - top + 1);
  std::uint8_t* coverage = state.glyphStore.Allocate(static_cast<std::size_t>(size));
  if (coverage == nullptr)
    return GrabResult::OutOfMemory;
  band.CopyAlpha(top, bottom + 1, left, right, coverage);
  glyph.x = static_cast<std::int32_t>(left);
  glyph.y = state.cursor.y;
  glyph.width = static_cast<std::int32_t>(right - left);
  glyph.height = static_cast<std::int32_t>(bottom - top + 1);
  glyph.top = static_cast<std::int32_t>(band.first() + top - state.cursor.y);
  glyph.coverage = {coverage, static_cast<std::size_t>(size)};
  state.widest = std::max(state.widest, glyph.width);
  state.highest = std::max(state.highest, glyph.height);
  state.cursor.x = static_cast<std::int32_t>(right);
  return GrabResult::Grabbed;
}

namespace {

// Reads the values of `Grab <x>,<y>,<count>`, the commas following the numbers directly. False
// when any is missing.
bool ScanGrab(const std::string& line, std::int32_t& x, std::int32_t& y, std::int32_t& count) {
  LineScanner scan(line);
  return scan.Word() && scan.Number(&x) && scan.Literal(',') && scan.Number(&y) &&
         scan.Literal(',') && scan.Number(&count);
}

// How a run of grabs from one band ended.
struct GrabsDone {
  const char* error = nullptr;  ///< the message that stopped it, or nullptr
  bool aboutPicture = false;    ///< the message names the picture, not the line
  bool bandRead = false;
};

// Grabs up to `count` glyphs from the band, which is read before the first.
GrabsDone GrabFromBand(BuildState& state, Band& band, GlyphSet& set, std::int32_t count,
                       const ScriptLine& line) {
  GrabsDone done;
  const std::int32_t x = state.cursor.x;
  const std::int32_t y = state.cursor.y;
  for (std::int32_t i = 0; i < count; ++i) {
    if (set.count >= kMaxGlyphs) {
      done.error = msg::kTooManyGlyphs;
      return done;
    }
    if (i == 0) {
      // Only the part of the band inside the picture can hold ink.
      const std::int64_t first = std::max<std::int64_t>(y, 0);
      const std::int64_t end =
          std::min<std::int64_t>(std::int64_t{y} + state.settings.maxHeight, state.image.height);
      done.error = band.Read(state.image, first, end, std::max<std::int64_t>(x, 0));
      if (done.error != nullptr) {
        done.aboutPicture = true;
        return done;
      }
      done.bandRead = true;
    }
    Glyph& glyph = set.glyphs[static_cast<std::size_t>(set.count)];
    const GrabResult result = GrabGlyph(state, band, glyph);
    if (result != GrabResult::Grabbed) {
      done.error = result == GrabResult::NotFound ? msg::kGlyphNotFound : msg::kGlyphTooLarge;
      return done;
    }
    if (state.observer != nullptr) {
      const GrabbedGlyph grabbed{
          &set == &state.shadowSet,
          set.count,
          {glyph.x, std::int64_t{glyph.y} + glyph.top, glyph.width, glyph.height}};
      state.observer->GlyphGrabbed(line, grabbed, band);
    }
    ++set.count;
  }
  return done;
}

}  // namespace

void GrabGlyphs(BuildState& state, Console& console, GlyphSet& set, std::int32_t x, std::int32_t y,
                std::int32_t count, const ScriptLine& line) {
  state.cursor = GrabCursor{x, y};
  if (count > 0 && !HasPixels(state.image))
    return ReportError(console, msg::kNoPicture, line.text.c_str());
  Band band;
  const std::int32_t before = set.count;
  const GrabsDone done = GrabFromBand(state, band, set, count, line);
  if (done.bandRead && state.observer != nullptr) {
    // The band runs across to where its last glyph ended, or to the edge when it ran out.
    const std::int64_t end = done.error == msg::kGlyphNotFound ? state.image.width : state.cursor.x;
    const ScannedBand scanned{&set == &state.shadowSet,
                              {x, y, std::max<std::int64_t>(end - x, 0), state.settings.maxHeight},
                              before,
                              set.count};
    state.observer->BandScanned(line, scanned, state.image);
  }
  if (done.error != nullptr)
    ReportError(console, done.error,
                done.aboutPicture ? state.image.path.c_str() : line.text.c_str());
}

void HandleFontSection(BuildState& state, Console&, const ScriptLine&) {
  state.section = Section::Font;
}

void HandleShadowSection(BuildState& state, Console&, const ScriptLine&) {
  state.section = Section::Shadow;
}

void HandleGrab(BuildState& state, Console& console, const ScriptLine& line) {
  GlyphSet* set = state.section == Section::Font     ? &state.fontSet
                  : state.section == Section::Shadow ? &state.shadowSet
                                                     : nullptr;
  if (set == nullptr)
    return ReportError(console, msg::kUnknownState, line.text.c_str());
  std::int32_t x = 0;
  std::int32_t y = 0;
  std::int32_t count = 0;
  if (!ScanGrab(line.text, x, y, count))
    return ReportError(console, msg::kMissingValue, line.text.c_str());
  GrabGlyphs(state, console, *set, x, y, count, line);
}

}  // namespace typekiln
