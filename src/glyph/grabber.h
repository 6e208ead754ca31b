#pragma once

// Cuts glyphs out of the current picture. `Grab x,y,count` scans the band of `maxHeight` rows
// that starts at row y, from column x to the right: a glyph is a run of columns that hold ink
// somewhere in the band, ended by a column that holds none, trimmed to the rows that hold ink in
// its own columns. A pixel is ink when any of its four bytes is non-zero, so a coloured pixel
// with alpha 0 widens the box although it is stored as coverage 0.
//
// Pixels outside the picture are never ink: a band may hang over any edge, and a glyph that
// touches the right edge ends there. The scans visit each column and row of the band at most a
// few times, so a `Grab` costs in proportion to the part of the picture it covers.

#include <cstdint>
#include <string>

#include "main/console.h"
#include "state/build_state.h"

namespace typekiln {

/// True when column `column` holds ink in rows `firstRow` up to, not including, `endRow`.
bool ColumnHasInk(const Image& image, std::int64_t column, std::int64_t firstRow,
                  std::int64_t endRow);

/// True when row `row` holds ink in columns `left` up to, not including, `right`.
bool RowHasInk(const Image& image, std::int64_t row, std::int64_t left, std::int64_t right);

enum class GrabResult { Grabbed, NotFound, OutOfMemory };

/// Finds the next glyph at the cursor in the band of `settings.maxHeight` rows from `cursor.y`,
/// fills `glyph` (box and pixels, only alpha kept), moves `cursor.x` to the empty column after it
/// and updates `widest` and `highest`. `glyph` is untouched unless the result is `Grabbed`:
/// `NotFound` when no column with ink lies between the cursor and the picture's right edge,
/// `OutOfMemory` when its pixels cannot be copied.
GrabResult GrabGlyph(BuildState& state, Glyph& glyph);

/// Sets the cursor to (x, y) and appends up to `count` glyphs to `set`. Stops with a message
/// naming `line` when the picture has no pixels, when the set is full or when no further glyph
/// is found; the glyphs grabbed before then stay.
void GrabGlyphs(BuildState& state, Console& console, GlyphSet& set, std::int32_t x, std::int32_t y,
                std::int32_t count, const std::string& line);

/// `[Font]`: later grabs fill the face set.
void HandleFontSection(BuildState& state, Console& console, const std::string& line);
/// `[Shadow]`: later grabs fill the shadow set.
void HandleShadowSection(BuildState& state, Console& console, const std::string& line);
/// Reads the values of `Grab <x>,<y>,<count>`, the commas following the numbers directly. False
/// when any is missing.
bool ScanGrab(const std::string& line, std::int32_t& x, std::int32_t& y, std::int32_t& count);

/// `Grab <x>,<y>,<count>`.
void HandleGrab(BuildState& state, Console& console, const std::string& line);

}  // namespace typekiln
