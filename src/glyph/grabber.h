#pragma once

// Cuts glyphs out of the current picture. `Grab x,y,count` scans the band of `maxHeight` rows
// that starts at row y, from column x to the right: a glyph is a run of columns that hold ink
// somewhere in the band, ended by a column that holds none, trimmed to the rows that hold ink in
// its own columns. A pixel is ink when any of its four bytes is non-zero, so a coloured pixel
// with alpha 0 widens the box although it is stored as coverage 0.
//
// Pixels outside the picture are never ink: a band may hang over any edge, and a glyph that
// touches the right edge ends there. A `Grab` reads its band once and looks at each of its
// pixels once to find the columns with ink, then only at the glyphs' own columns, so it costs in
// proportion to the part of the picture it covers, whatever the picture's size.

#include <cstdint>
#include <string>
#include <vector>

#include "picture/picture_rows.h"
#include "picture/tga_picture.h"
#include "state/build_state.h"

namespace typekiln {

enum class GrabResult { Grabbed, NotFound, OutOfMemory };

/// True when the pixel, as a picture's rows hold it, is ink: any of its four bytes is set.
bool IsInk(const std::uint8_t* pixel);

/// The pixel that holds an advance: white of alpha 1, which typekiln-import puts in the columns
/// of a character's cell that have no ink. It is ink to the grabber, stores as coverage 0, and
/// an editor that clears the colour of fully transparent pixels when it saves leaves it be. White
/// reads the same whether the bytes run red to blue or blue to red.
inline constexpr std::uint8_t kAdvanceMark[4] = {255, 255, 255, 1};
bool IsAdvanceMark(const std::uint8_t* pixel);

/// The band of one `Grab`: the rows of the picture it covers, and which of its columns, from
/// the grab's first column on, hold ink in any of them.
class Band {
 public:
  /// Reads picture rows `first` up to, not including, `end` (none when `first` >= `end`)
  /// through `cache` and finds the columns from `fromColumn` on that hold ink. Returns what the
  /// cache could not read, if anything.
  Failure Read(RowCache& cache, const Picture& picture, std::int64_t first, std::int64_t end,
               std::int64_t fromColumn);

  bool ColumnHasInk(std::int64_t column) const;
  /// True when band row `row` (0 is the first) holds ink in columns `left` up to `right`.
  bool RowHasInk(std::int64_t row, std::int64_t left, std::int64_t right) const;
  /// Copies the alpha bytes of band rows `top` up to `end`, columns `left` up to `right`, row
  /// by row, to `out`.
  void CopyAlpha(std::int64_t top, std::int64_t end, std::int64_t left, std::int64_t right,
                 std::uint8_t* out) const;

  /// Pixel `column` of band row `row`, which must lie in the band and inside the picture.
  const std::uint8_t* Pixel(std::int64_t row, std::int64_t column) const {
    return rows_.Pixel(row, column);
  }
  std::int64_t first() const { return first_; }
  std::int64_t rows() const { return end_ - first_; }

 private:
  PixelRows rows_;
  std::int64_t first_ = 0;
  std::int64_t end_ = 0;
  std::int64_t fromColumn_ = 0;
  std::vector<std::uint32_t> ink_;  ///< per column from `fromColumn_`: its pixels or-ed
};

/// Finds the next glyph at the cursor in `band`, read for the cursor's row, and fills `glyph`:
/// its box and its coverage, kept in the state's glyph store. Moves `cursor.x` to the empty
/// column after it and updates `widest` and `highest`. `glyph` is untouched unless the result is
/// `Grabbed`: `NotFound` when no column with ink lies between the cursor and the picture's right
/// edge, `OutOfMemory` when the store cannot take its coverage.
GrabResult GrabGlyph(BuildState& state, const Band& band, Glyph& glyph);

/// Why a run of grabs stopped before its count.
enum class GrabStop {
  None,
  NoPicture,          ///< the picture has no pixels
  SetFull,            ///< the set already holds kMaxGlyphs
  NotFound,           ///< no further glyph between the cursor and the picture's right edge
  OutOfMemory,        ///< the glyph store cannot take a glyph's coverage
  PictureUnreadable,  ///< the band's rows could not be read: `picture` says why
};

struct GrabOutcome {
  GrabStop stop = GrabStop::None;
  Failure picture;  ///< why the band's rows could not be read
};

/// Sets the cursor to (x, y) and appends up to `count` glyphs to `set`, reading the band through
/// the state's row cache; the glyphs grabbed before a stop stay. An observer hears of each glyph
/// as it is cut, then of the band, once it was read, before the caller learns how it ended.
GrabOutcome GrabGlyphs(BuildState& state, GlyphSet& set, std::int32_t x, std::int32_t y,
                       std::int32_t count);

}  // namespace typekiln
