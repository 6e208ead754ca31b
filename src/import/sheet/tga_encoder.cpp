#include "import/sheet/tga_encoder.h"

namespace typekiln {

namespace {

constexpr std::uint8_t kRawTrueColour = 2;
constexpr std::uint8_t kBitsPerPixel = 32;
constexpr std::uint8_t kTopFirstWithAlpha = 0x28;

void PutLE16(std::vector<std::uint8_t>& bytes, std::size_t at, int value) {
  bytes[at] = static_cast<std::uint8_t>(value & 0xFF);
  bytes[at + 1] = static_cast<std::uint8_t>(value >> 8);
}

}  // namespace

std::vector<std::uint8_t> EncodeTga(const RgbaPicture& picture) {
  std::vector<std::uint8_t> bytes(kTgaHeaderSize, 0);
  bytes[2] = kRawTrueColour;
  PutLE16(bytes, 12, picture.width);
  PutLE16(bytes, 14, picture.height);
  bytes[16] = kBitsPerPixel;
  bytes[17] = kTopFirstWithAlpha;
  bytes.reserve(kTgaHeaderSize + picture.pixels.size());
  for (std::size_t at = 0; at + 3 < picture.pixels.size(); at += 4) {
    const std::uint8_t* rgba = &picture.pixels[at];
    bytes.insert(bytes.end(), {rgba[2], rgba[1], rgba[0], rgba[3]});
  }
  return bytes;
}

}  // namespace typekiln
