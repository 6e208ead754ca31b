#pragma once

#include <cstdint>

namespace typekiln {

/// The low 8 bits of a value, as the font file's one-byte fields keep it.
constexpr std::uint8_t LowByte(std::int64_t value) { return static_cast<std::uint8_t>(value); }

/// A one-byte setting read back as the signed number the script most likely meant: 200 is -56.
constexpr int AsSignedByte(std::uint8_t byte) { return byte < 0x80 ? byte : byte - 0x100; }

/// The 16-bit little-endian value at `in`, as a TGA header stores its fields.
constexpr std::uint16_t GetLE16(const std::uint8_t* in) {
  return static_cast<std::uint16_t>(in[0] | in[1] << 8);
}

/// The 32-bit value at `in`, most significant byte first, as the font file stores its offsets.
constexpr std::uint32_t GetBE32(const std::uint8_t* in) {
  return std::uint32_t{in[0]} << 24 | std::uint32_t{in[1]} << 16 | std::uint32_t{in[2]} << 8 |
         in[3];
}

/// Stores `value` at `out` most significant byte first.
constexpr void PutBE32(std::uint8_t* out, std::uint32_t value) {
  out[0] = static_cast<std::uint8_t>(value >> 24);
  out[1] = static_cast<std::uint8_t>(value >> 16);
  out[2] = static_cast<std::uint8_t>(value >> 8);
  out[3] = static_cast<std::uint8_t>(value);
}

}  // namespace typekiln
