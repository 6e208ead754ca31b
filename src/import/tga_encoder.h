#pragma once

// Pictures as typekiln-import draws them, and the TGA file it writes for each: an 18-byte
// header (no identification field, no colour map, image type 2: raw true colour; width and
// height little-endian; 32 bits a pixel; descriptor 0x28: 8 alpha bits, top row first), then
// every pixel as blue, green, red, alpha.

#include <cstdint>
#include <vector>

#include "picture/tga_picture.h"

namespace typekiln {

struct RgbaPicture {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> pixels;  // red, green, blue, alpha; rows top first

  RgbaPicture() = default;
  RgbaPicture(int w, int h) : width(w), height(h), pixels(static_cast<std::size_t>(w) * h * 4, 0) {}
  std::uint8_t* At(int x, int y) { return &pixels[(static_cast<std::size_t>(y) * width + x) * 4]; }
  const std::uint8_t* At(int x, int y) const {
    return &pixels[(static_cast<std::size_t>(y) * width + x) * 4];
  }
};

inline constexpr int kMaxTgaSide = 65535;

/// The whole TGA file of `picture`, whose sides are 1 to 65535.
std::vector<std::uint8_t> EncodeTga(const RgbaPicture& picture);

}  // namespace typekiln
