#pragma once

// The name of the temporary file a font is written into before it takes the target's place.

#include <cstddef>
#include <string>

namespace typekiln {

/// Bytes of noise that choose one temporary name.
inline constexpr std::size_t kTemporaryNoise = 12;

/// ".typekiln-", twelve letters or digits picked by `noise`, ".tmp": with noise from the system,
/// a name no one can guess ahead of the run, so no one can take it first.
inline std::string TemporaryName(const unsigned char (&noise)[kTemporaryNoise]) {
  static constexpr char kLetters[] =
      "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  std::string name = ".typekiln-";
  for (unsigned char byte : noise) name += kLetters[byte % (sizeof kLetters - 1)];
  return name + ".tmp";
}

/// A temporary name chosen by noise from the system (or, should it have none, from the clock and
/// the process): TemporaryName of fresh noise.
std::string RandomTemporaryName();

}  // namespace typekiln
