#pragma once

#include <cstdint>

namespace typekiln {

/// The low 8 bits of a value, as the font file's one-byte fields keep it.
constexpr std::uint8_t LowByte(std::int64_t value) { return static_cast<std::uint8_t>(value); }

/// Stores `value` at `out` most significant byte first.
constexpr void PutBE32(std::uint8_t* out, std::uint32_t value) {
  out[0] = static_cast<std::uint8_t>(value >> 24);
  out[1] = static_cast<std::uint8_t>(value >> 16);
  out[2] = static_cast<std::uint8_t>(value >> 8);
  out[3] = static_cast<std::uint8_t>(value);
}

}  // namespace typekiln
