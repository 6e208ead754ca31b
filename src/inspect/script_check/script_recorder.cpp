#include "inspect/script_check/script_recorder.h"

#include <algorithm>
#include <utility>

#include "glyph/grabber.h"
#include "picture/tga_picture.h"

namespace typekiln {

namespace {

constexpr std::uint8_t kRightToLeftBit = 0x10;

// How many rows from `start` on, stepping by `step`, hold ink in the columns of `ink`; at most
// kCutSearchRows, and none when the rows cannot be read.
std::int64_t InkRowsBeyond(RowCache& cache, const Picture& picture, const PictureBox& ink,
                           std::int64_t start, std::int64_t step) {
  const std::int64_t reach = kCutSearchRows;
  const std::int64_t first = step > 0 ? start : std::max<std::int64_t>(0, start - reach + 1);
  const std::int64_t end =
      step > 0 ? std::min<std::int64_t>(picture.height, start + reach) : start + 1;
  PixelRows rows;
  if (first >= end || cache.Read(picture, first, end, rows).Failed())
    return 0;
  std::int64_t found = 0;
  for (std::int64_t row = start; row >= first && row < end; row += step, ++found) {
    bool any = false;
    for (std::int64_t column = ink.x; column < ink.x + ink.width && !any; ++column)
      any = IsInk(rows.Pixel(row - first, column));
    if (!any)
      break;
  }
  return found;
}

}  // namespace

void ScriptRecorder::LineEndDropped(const ScriptLine& line, std::string_view dropped) {
  found_.steps.push_back({RunStep::Kind::DroppedEnd, found_.droppedEnds.size()});
  found_.droppedEnds.push_back({line, std::string(dropped)});
}

void ScriptRecorder::UnknownCommand(const ScriptLine& line, std::string_view word) {
  found_.steps.push_back({RunStep::Kind::UnknownWord, found_.unknownWords.size()});
  found_.unknownWords.push_back({line, std::string(word)});
}

void ScriptRecorder::CommandRan(const ScriptLine& line, std::string_view keyword,
                                const BuildState& state) {
  if (keyword == "Grab" && state.section == Section::Faces)
    found_.faceGrabRan = true;
  if (keyword != "CharSet")
    return;
  const auto& codes = state.settings.charSet;
  found_.steps.push_back({RunStep::Kind::CharSet, found_.charSets.size()});
  found_.charSets.push_back(
      {line, std::string(codes.begin(), std::find(codes.begin(), codes.end(), '\0')),
       state.encoding});
}

void ScriptRecorder::PictureLoaded(const ScriptLine& line, const Picture& picture) {
  PictureLoad load{line, picture.path};
  if (HasPixels(picture)) {
    found_.pictures.push_back({picture.path, picture.width, picture.height, {}, {}});
    load.rightToLeft = (picture.descriptor & kRightToLeftBit) != 0;
    bool opaque = true;
    const auto allOpaque = [&](std::int64_t, const std::uint8_t* row) {
      for (std::int64_t x = 0; x < picture.width && opaque; ++x)
        opaque = row[x * kBytesPerPixel + kAlphaByte] == 255;
      return opaque;
    };
    load.opaque = VisitRows(picture, allOpaque) && opaque;
  }
  found_.steps.push_back({RunStep::Kind::Load, found_.loads.size()});
  found_.loads.push_back(std::move(load));
}

void ScriptRecorder::LineRuns(const ScriptLine& line) { running_ = line; }

void ScriptRecorder::GlyphGrabbed(const GrabbedGlyph& glyph, const Band& band) {
  if (!found_.pictures.empty())
    found_.pictures.back().glyphs.push_back(glyph);
  CutGlyph cut{glyph};
  const PictureBox& ink = glyph.ink;
  const auto faint = [](std::uint8_t alpha) { return alpha > 0 && alpha < kFaintAlpha; };
  // The box of the ink that is not faint: what shows, and the coloured pixels of alpha 0 that
  // join strokes on purpose.
  std::int64_t left = ink.x + ink.width;
  std::int64_t right = ink.x - 1;
  std::int64_t top = ink.y + ink.height;
  std::int64_t bottom = ink.y - 1;
  bool anyFaint = false;
  for (std::int64_t y = ink.y; y < ink.y + ink.height; ++y) {
    for (std::int64_t x = ink.x; x < ink.x + ink.width; ++x) {
      const std::uint8_t* pixel = band.Pixel(y - band.first(), x);
      const std::uint8_t alpha = pixel[kAlphaByte];
      if (!IsInk(pixel))
        continue;
      if (faint(alpha)) {
        anyFaint = true;
        continue;
      }
      cut.shows = cut.shows || alpha > 0;
      cut.colouredClear += alpha == 0 ? 1 : 0;
      left = std::min(left, x);
      right = std::max(right, x);
      top = std::min(top, y);
      bottom = std::max(bottom, y);
    }
  }
  // Faint ink, but for the advance marks of a drawn glyph's rows (which widen its box on
  // purpose, to its advance) and those of a glyph that is nothing else (a space): how far it
  // widens the box past the rest of the ink.
  std::int64_t faintLeft = left, faintRight = right, faintTop = top, faintBottom = bottom;
  for (std::int64_t y = ink.y; y < ink.y + ink.height && anyFaint; ++y) {
    for (std::int64_t x = ink.x; x < ink.x + ink.width; ++x) {
      const std::uint8_t* pixel = band.Pixel(y - band.first(), x);
      if (!faint(pixel[kAlphaByte]) ||
          (IsAdvanceMark(pixel) && (left > right || (y >= top && y <= bottom))))
        continue;
      cut.faint = true;
      faintLeft = std::min(faintLeft, x);
      faintRight = std::max(faintRight, x);
      faintTop = std::min(faintTop, y);
      faintBottom = std::max(faintBottom, y);
    }
  }
  if (cut.faint && left <= right) {
    cut.faintReach =
        std::max({left - faintLeft, faintRight - right, top - faintTop, faintBottom - bottom});
  }
  // Ink that runs on to the left of a Grab's first glyph belongs to it: the grab started
  // inside it.
  cut.inkFrom = ink.x;
  if (bandGlyphs_.empty()) {
    const auto columnHasInk = [&](std::int64_t x) {
      for (std::int64_t row = 0; row < band.rows(); ++row) {
        if (IsInk(band.Pixel(row, x)))
          return true;
      }
      return false;
    };
    while (cut.inkFrom > 0 && columnHasInk(cut.inkFrom - 1)) --cut.inkFrom;
  }
  bandGlyphs_.push_back(cut);
}

void ScriptRecorder::BandScanned(const ScannedBand& band, const Picture& picture) {
  if (!found_.pictures.empty())
    found_.pictures.back().bands.push_back(band.box);
  ScannedGrab grab;
  grab.line = running_;
  grab.band = band;
  // A Grab finds pixels only in a picture a LoadTGA loaded: the last one.
  grab.load = found_.loads.empty() ? 0 : found_.loads.size() - 1;
  grab.firstRow = std::clamp<std::int64_t>(band.box.y, 0, picture.height);
  grab.endRow =
      std::clamp<std::int64_t>(band.box.y + band.box.height, grab.firstRow, picture.height);
  const PictureBox& box = band.box;
  const std::int64_t columns = std::max<std::int64_t>(
      std::min<std::int64_t>(box.x + box.width, picture.width) - std::max<std::int64_t>(box.x, 0),
      0);
  grab.pixels = columns * (grab.endRow - grab.firstRow);
  // A glyph whose ink reaches the band's bottom row, inside the picture, may go on in the rows
  // below, in its own columns; the same at the top. Below for every glyph, then above: each
  // direction reads its rows once.
  const std::int64_t first = std::max<std::int64_t>(box.y, 0);
  const std::int64_t end = std::min<std::int64_t>(box.y + box.height, picture.height);
  for (const bool down : {true, false}) {
    for (CutGlyph& cut : bandGlyphs_) {
      const PictureBox& ink = cut.glyph.ink;
      const bool touches =
          down ? ink.y + ink.height == end && end < picture.height : ink.y == first && first > 0;
      if (touches)
        (down ? cut.inkBelow : cut.inkAbove) =
            InkRowsBeyond(rows_, picture, ink, down ? end : first - 1, down ? 1 : -1);
    }
  }
  auto& slots = found_.sets[band.shadow ? 1 : 0];
  for (const CutGlyph& cut : bandGlyphs_) {
    const auto index = static_cast<std::size_t>(cut.glyph.index);
    slots.resize(std::max(slots.size(), index + 1));
    slots[index] = {found_.grabs.size(), cut.glyph.ink};
  }
  grab.glyphs = std::move(bandGlyphs_);
  bandGlyphs_.clear();
  found_.steps.push_back({RunStep::Kind::Grab, found_.grabs.size()});
  found_.grabs.push_back(std::move(grab));
}

}  // namespace typekiln
