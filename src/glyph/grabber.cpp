#include "glyph/grabber.h"

#include <algorithm>
#include <new>

#include "main/messages.h"
#include "script/line_scanner.h"

namespace typekiln {

namespace {

// Ink: any of the four bytes is non-zero.
bool IsSet(const Pixel& pixel) { return (pixel.red | pixel.green | pixel.blue | pixel.alpha) != 0; }

const Pixel& At(const Image& image, std::int64_t px, std::int64_t py) {
  return image.pixels[static_cast<std::size_t>(py * image.width + px)];
}

bool HasPixels(const Image& image) {
  return !image.pixels.empty() &&
         image.pixels.size() == static_cast<std::size_t>(std::int64_t{image.width} * image.height);
}

// The copy keeps only alpha: coverage is all the font file stores.
bool CopyAlpha(const Image& image, Glyph& glyph, std::int64_t firstRow) {
  try {
    glyph.pixels.assign(static_cast<std::size_t>(std::int64_t{glyph.width} * glyph.height),
                        Pixel{});
  } catch (const std::bad_alloc&) {
    return false;
  }
  Pixel* out = glyph.pixels.data();
  for (std::int64_t row = firstRow; row < firstRow + glyph.height; ++row) {
    for (std::int64_t column = glyph.x; column < glyph.x + glyph.width; ++column)
      (out++)->alpha = At(image, column, row).alpha;
  }
  return true;
}

}  // namespace

bool ColumnHasInk(const Image& image, std::int64_t column, std::int64_t firstRow,
                  std::int64_t endRow) {
  if (!HasPixels(image) || column < 0 || column >= image.width)
    return false;
  for (std::int64_t row = std::max<std::int64_t>(firstRow, 0);
       row < std::min<std::int64_t>(endRow, image.height); ++row) {
    if (IsSet(At(image, column, row)))
      return true;
  }
  return false;
}

bool RowHasInk(const Image& image, std::int64_t row, std::int64_t left, std::int64_t right) {
  if (!HasPixels(image) || row < 0 || row >= image.height)
    return false;
  for (std::int64_t column = std::max<std::int64_t>(left, 0);
       column < std::min<std::int64_t>(right, image.width); ++column) {
    if (IsSet(At(image, column, row)))
      return true;
  }
  return false;
}

GrabResult GrabGlyph(BuildState& state, Glyph& glyph) {
  const Image& image = state.image;
  const std::int64_t bandTop = state.cursor.y;
  // Only the part of the band inside the picture can hold ink.
  const std::int64_t firstRow = std::max<std::int64_t>(bandTop, 0);
  const std::int64_t endRow =
      std::min<std::int64_t>(bandTop + state.settings.maxHeight, image.height);
  std::int64_t left = std::max<std::int64_t>(state.cursor.x, 0);
  if (firstRow >= endRow)
    left = image.width;  // no row of the band lies in the picture, or the band has no rows
  while (left < image.width && !ColumnHasInk(image, left, firstRow, endRow)) ++left;
  if (left >= image.width) {
    state.cursor.x = image.width;
    return GrabResult::NotFound;
  }
  std::int64_t right = left + 1;
  while (right < image.width && ColumnHasInk(image, right, firstRow, endRow)) ++right;
  // Column `left` has ink in the band, so both searches stop inside it.
  std::int64_t top = firstRow;
  while (!RowHasInk(image, top, left, right)) ++top;
  std::int64_t bottom = endRow - 1;
  while (!RowHasInk(image, bottom, left, right)) --bottom;

  Glyph found;
  found.x = static_cast<std::int32_t>(left);
  found.y = state.cursor.y;
  found.width = static_cast<std::int32_t>(right - left);
  found.height = static_cast<std::int32_t>(bottom - top + 1);
  found.top = static_cast<std::int32_t>(top - bandTop);
  if (!CopyAlpha(image, found, top))
    return GrabResult::OutOfMemory;
  glyph = std::move(found);
  state.widest = std::max(state.widest, glyph.width);
  state.highest = std::max(state.highest, glyph.height);
  state.cursor.x = static_cast<std::int32_t>(right);
  return GrabResult::Grabbed;
}

void GrabGlyphs(BuildState& state, Console& console, GlyphSet& set, std::int32_t x, std::int32_t y,
                std::int32_t count, const std::string& line) {
  state.cursor = GrabCursor{x, y};
  if (count > 0 && !HasPixels(state.image))
    return ReportError(console, msg::kNoPicture, line.c_str());
  for (std::int32_t i = 0; i < count; ++i) {
    if (set.count >= kMaxGlyphs)
      return ReportError(console, msg::kTooManyGlyphs, line.c_str());
    switch (GrabGlyph(state, set.glyphs[static_cast<std::size_t>(set.count)])) {
      case GrabResult::Grabbed:
        break;
      case GrabResult::NotFound:
        return ReportError(console, msg::kGlyphNotFound, line.c_str());
      case GrabResult::OutOfMemory:
        return ReportError(console, msg::kGlyphTooLarge, line.c_str());
    }
    ++set.count;
  }
}

void HandleFontSection(BuildState& state, Console&, const std::string&) {
  state.section = Section::Font;
}

void HandleShadowSection(BuildState& state, Console&, const std::string&) {
  state.section = Section::Shadow;
}

bool ScanGrab(const std::string& line, std::int32_t& x, std::int32_t& y, std::int32_t& count) {
  LineScanner scan(line);
  return scan.Word() && scan.Number(&x) && scan.Literal(',') && scan.Number(&y) &&
         scan.Literal(',') && scan.Number(&count);
}

void HandleGrab(BuildState& state, Console& console, const std::string& line) {
  GlyphSet* set = state.section == Section::Font     ? &state.fontSet
                  : state.section == Section::Shadow ? &state.shadowSet
                                                     : nullptr;
  if (set == nullptr)
    return ReportError(console, msg::kUnknownState, line.c_str());
  std::int32_t x = 0;
  std::int32_t y = 0;
  std::int32_t count = 0;
  if (!ScanGrab(line, x, y, count))
    return ReportError(console, msg::kMissingValue, line.c_str());
  GrabGlyphs(state, console, *set, x, y, count, line);
}

}  // namespace typekiln
