#pragma once

// Lays the build state out as a font file (font/font_format.h) and writes it. Samples come from
// the alpha byte each glyph keeps per pixel.

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "font/font_format.h"
#include "report/failure.h"
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

std::array<std::uint8_t, kHeaderSize> HeaderBytes(const BuildState& state);

/// The glyph table.
std::vector<std::uint8_t> TableBytes(const BuildState& state, const FontLayout& layout);

/// One glyph's block, stored at `place`: `fill` zero bytes, then its rows of samples with their
/// zero tails.
std::vector<std::uint8_t> LayOutBitmap(const Glyph& glyph, const BitmapPlace& place,
                                       Orientation orientation, std::size_t fill);

/// Hands the bytes of the font laid out as `layout` to `emit` in file order, in pieces: the
/// header, the table, then each block with the zero fill before it.
void EmitFont(const BuildState& state, const FontLayout& layout,
              const std::function<void(std::span<const std::uint8_t>)>& emit);

/// Lays out and writes the font file for the whole build state at `path`; the file is either
/// written whole or left as it was. Fails, naming `path`, with "Cannot create", "Cannot write",
/// or for a font too large for its offsets, which is not written at all.
Failure WriteFont(const BuildState& state, const std::string& path);

}  // namespace typekiln
