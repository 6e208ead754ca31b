#pragma once

// The font file, every multi-byte number big-endian:
//
//   offset  size        field
//   0       4 x 3       tags "TKLN", "QZ7!", "N64!"
//   12      4           1
//   16      1 each      glyph count, orientation (0 horizontal, 1 vertical), gap, space,
//                       drop x, drop y, 0, 0
//   24      20 x count  glyph table, one entry per font glyph in grab order:
//                         font glyph:   offset (4), width, height, top, stride (1 each)
//                         shadow glyph: offset (4), width, height, top, stride (1 each)
//                         shadow position relative to the font glyph: dx, dy horizontally,
//                         dy, -dx vertically (1 each); character code; 0
//   then    ...         bitmap blocks of all font glyphs, then of all shadow glyphs, each at a
//                       multiple of 8 with zero bytes before it: `height` rows of `stride`
//                       bytes, one 4-bit coverage sample (alpha >> 4) per byte, `stride` being
//                       `width` rounded up to a multiple of 8, the row's tail zero
//
// One-byte fields keep the low 8 bits of their values. A font glyph without a shadow glyph gets
// an all-zero shadow. Shadow glyphs past the font glyph count have blocks that no entry names.
// In vertical orientation each bitmap is turned a quarter turn counter-clockwise: width and
// height change places, and row i is source column width - 1 - i read from the top.

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "font/font_format.h"
#include "main/console.h"
#include "state/build_state.h"

namespace typekiln {

/// Gives every glyph of both sets its place in the file: `offset` and `stride`, and in vertical
/// orientation its turned `width` and `height`. Returns the file's size in bytes.
std::uint64_t LayOutFont(BuildState& state);

/// The largest font whose every block offset fits the table's 32-bit fields.
inline constexpr std::uint64_t kMaxFontSize = 0xFFFFFFFF;

std::array<std::uint8_t, kHeaderSize> HeaderBytes(const BuildState& state);

/// The glyph table of a laid-out font.
std::vector<std::uint8_t> TableBytes(const BuildState& state);

/// One laid-out glyph's block: `fill` zero bytes, then its rows of samples with their zero tails.
std::vector<std::uint8_t> LayOutBitmap(const Glyph& glyph, Orientation orientation,
                                       std::size_t fill);

/// True when the glyph's width, height and top fit the table's one-byte fields (a stride of 256
/// does not: its byte is 0, which a reader takes as 256 for a glyph 249 to 255 wide).
bool FitsOneByteFields(const Glyph& glyph);

/// Hands the bytes of a laid-out font to `emit` in file order, in pieces: the header, the table,
/// then each block with the zero fill before it.
void EmitFont(const BuildState& state,
              const std::function<void(std::span<const std::uint8_t>)>& emit);

/// Lays out and writes the font file for the whole build state at `path`; the file is either
/// written whole or left as it was. Reports, with the path, "Cannot create", "Cannot write", or
/// a font too large for its offsets (then nothing is written).
void WriteFont(BuildState& state, Console& console, const std::string& path);

}  // namespace typekiln
