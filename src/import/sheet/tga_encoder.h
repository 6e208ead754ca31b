#pragma once

// Pictures as typekiln-import draws them, and the TGA file it writes for each: an 18-byte
// header (no identification field, no colour map, image type 2: raw true colour; width and
// height little-endian; 32 bits a pixel; descriptor 0x28: 8 alpha bits, top row first), then
// every pixel as blue, green, red, alpha.

#include <algorithm>
#include <cstdint>
#include <span>
#include <vector>

#include "picture/tga_picture.h"

namespace typekiln {

/// A picture in memory. Every pixel is reached through At or Set, which check the place: no
/// layout, however wrong, can reach outside the picture's pixels.
struct RgbaPicture {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> pixels;  // red, green, blue, alpha; rows top first

  RgbaPicture() = default;
  RgbaPicture(int w, int h) : width(w), height(h), pixels(static_cast<std::size_t>(w) * h * 4, 0) {}
  bool Inside(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
  /// The pixel at (x, y), or null outside the picture.
  const std::uint8_t* At(int x, int y) const {
    return Inside(x, y) ? &pixels[(static_cast<std::size_t>(y) * width + x) * 4] : nullptr;
  }
  /// Sets the pixel at (x, y) to `rgba`; false, and nothing written, outside the picture.
  bool Set(int x, int y, std::span<const std::uint8_t, 4> rgba) {
    if (!Inside(x, y))
      return false;
    std::copy(rgba.begin(), rgba.end(), &pixels[(static_cast<std::size_t>(y) * width + x) * 4]);
    return true;
  }
};

inline constexpr int kMaxTgaSide = 65535;

/// The whole TGA file of `picture`, whose sides are 1 to 65535.
std::vector<std::uint8_t> EncodeTga(const RgbaPicture& picture);

}  // namespace typekiln
