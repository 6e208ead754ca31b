#include "glyph/grabber.h"

#include <algorithm>
#include <cstring>
#include <iterator>

namespace typekiln {

namespace {

// A pixel's four bytes as one number, which is zero only when every byte is: ink is any byte
// set.
std::uint32_t PixelBits(const std::uint8_t* pixel) {
  std::uint32_t bits;
  std::memcpy(&bits, pixel, sizeof bits);
  return bits;
}

}  // namespace

bool IsInk(const std::uint8_t* pixel) { return PixelBits(pixel) != 0; }

bool IsAdvanceMark(const std::uint8_t* pixel) {
  return std::equal(pixel, pixel + 4, std::begin(kAdvanceMark));
}

Failure Band::Read(RowCache& cache, const Picture& picture, std::int64_t first, std::int64_t end,
                   std::int64_t fromColumn) {
  first_ = first;
  end_ = std::max(first, end);
  fromColumn_ = fromColumn;
  ink_.assign(static_cast<std::size_t>(std::max<std::int64_t>(picture.width - fromColumn, 0)), 0);
  if (rows() == 0 || ink_.empty())
    return {};
  if (Failure failure = cache.Read(picture, first_, end_, rows_); failure.Failed())
    return failure;
  // Row by row, as the rows lie in memory.
  for (std::int64_t row = 0; row < rows(); ++row) {
    const std::uint8_t* pixel = rows_.Pixel(row, fromColumn_);
    for (std::uint32_t& column : ink_) {
      column |= PixelBits(pixel);
      pixel += kBytesPerPixel;
    }
  }
  return {};
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
    any |= PixelBits(pixel);
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
  const std::int64_t width = state.picture.width;
  std::int64_t left = std::max<std::int64_t>(state.cursor.x, 0);
  while (left < width && !band.ColumnHasInk(left)) ++left;
  if (left >= width) {
    state.cursor.x = state.picture.width;
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

// How a run of grabs from one band ended.
struct GrabsDone {
  GrabOutcome outcome;
  bool bandRead = false;
};

// Grabs up to `count` glyphs from the band, which is read before the first.
GrabsDone GrabFromBand(BuildState& state, Band& band, GlyphSet& set, std::int32_t count) {
  GrabsDone done;
  const std::int32_t x = state.cursor.x;
  const std::int32_t y = state.cursor.y;
  for (std::int32_t i = 0; i < count; ++i) {
    if (set.count >= kMaxGlyphs) {
      done.outcome.stop = GrabStop::SetFull;
      return done;
    }
    if (i == 0) {
      // Only the part of the band inside the picture can hold ink.
      const std::int64_t first = std::max<std::int64_t>(y, 0);
      const std::int64_t end =
          std::min<std::int64_t>(std::int64_t{y} + state.settings.maxHeight, state.picture.height);
      done.outcome.picture =
          band.Read(state.rowCache, state.picture, first, end, std::max<std::int64_t>(x, 0));
      if (done.outcome.picture.Failed()) {
        done.outcome.stop = GrabStop::PictureUnreadable;
        return done;
      }
      done.bandRead = true;
    }
    Glyph& glyph = set.glyphs[static_cast<std::size_t>(set.count)];
    const GrabResult result = GrabGlyph(state, band, glyph);
    if (result != GrabResult::Grabbed) {
      done.outcome.stop =
          result == GrabResult::NotFound ? GrabStop::NotFound : GrabStop::OutOfMemory;
      return done;
    }
    if (state.observer != nullptr) {
      const GrabbedGlyph grabbed{
          &set == &state.shadowSet,
          set.count,
          {glyph.x, std::int64_t{glyph.y} + glyph.top, glyph.width, glyph.height}};
      state.observer->GlyphGrabbed(grabbed, band);
    }
    ++set.count;
  }
  return done;
}

}  // namespace

GrabOutcome GrabGlyphs(BuildState& state, GlyphSet& set, std::int32_t x, std::int32_t y,
                       std::int32_t count) {
  state.cursor = GrabCursor{x, y};
  if (count > 0 && !HasPixels(state.picture))
    return {GrabStop::NoPicture, {}};
  Band band;
  const std::int32_t before = set.count;
  const GrabsDone done = GrabFromBand(state, band, set, count);
  if (done.bandRead && state.observer != nullptr) {
    // The band runs across to where its last glyph ended, or to the edge when it ran out.
    const std::int64_t end =
        done.outcome.stop == GrabStop::NotFound ? state.picture.width : state.cursor.x;
    const ScannedBand scanned{&set == &state.shadowSet,
                              {x, y, std::max<std::int64_t>(end - x, 0), state.settings.maxHeight},
                              before,
                              set.count};
    state.observer->BandScanned(scanned, state.picture);
  }
  return done.outcome;
}

}  // namespace typekiln
