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
// One-byte fields keep the low 8 bits of their values. Samples come from the alpha byte each
// glyph keeps per pixel. A font glyph without a shadow glyph gets
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
#include "report/console.h"
#include "state/build_state.h"

namespace typekiln {

/// Where one glyph's bitmap goes in the file, and the size it is stored at.
struct BitmapPlace {
  std::uint32_t offset = 0;
  std::int32_t width = 0;   ///< stored columns: the glyph's rows in vertical orientation
  std::int32_t height = 0;  ///< stored rows
  std::int32_t stride = 0;  ///< bytes per stored row
};

/// Every bitmap's place, in the order of the sets' slots; slots without a glyph stay all zero.
struct FontLayout {
  std::array<BitmapPlace, kMaxGlyphs> faces{};
  std::array<BitmapPlace, kMaxGlyphs> shadows{};
  std::uint64_t size = 0;  ///< of the whole file, in bytes
};

/// Gives every glyph of both sets its place in the file.
FontLayout LayOutFont(const BuildState& state);

/// The largest font whose every block offset fits the table's 32-bit fields.
inline constexpr std::uint64_t kMaxFontSize = 0xFFFFFFFF;

std::array<std::uint8_t, kHeaderSize> HeaderBytes(const BuildState& state);

/// The glyph table.
std::vector<std::uint8_t> TableBytes(const BuildState& state, const FontLayout& layout);

/// One glyph's block, stored at `place`: `fill` zero bytes, then its rows of samples with their
/// zero tails.
std::vector<std::uint8_t> LayOutBitmap(const Glyph& glyph, const BitmapPlace& place,
                                       Orientation orientation, std::size_t fill);

/// True when the glyph's width, height and top fit the table's one-byte fields (a stride of 256
/// does not: its byte is 0, which a reader takes as 256 for a glyph 249 to 255 wide).
bool FitsOneByteFields(const Glyph& glyph);

/// Hands the bytes of the font laid out as `layout` to `emit` in file order, in pieces: the
/// header, the table, then each block with the zero fill before it.
void EmitFont(const BuildState& state, const FontLayout& layout,
              const std::function<void(std::span<const std::uint8_t>)>& emit);

/// Lays out and writes the font file for the whole build state at `path`; the file is either
/// written whole or left as it was. Reports, with the path, "Cannot create", "Cannot write", or
/// a font too large for its offsets (then nothing is written).
void WriteFont(const BuildState& state, Console& console, const std::string& path);

}  // namespace typekiln
