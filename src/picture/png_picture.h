#pragma once

// Reads PNG pictures for LoadTGA: a file whose first 8 bytes are PNG's signature, whatever its
// name. libspng (written for untrusted images) decodes every colour type and bit depth, grey,
// grey with alpha, RGB, RGBA and palette with or without tRNS, 1 to 16 bits a sample (a 16-bit
// sample keeps its high byte), interlaced or not, into 8-bit red, green, blue and alpha, with no
// gamma applied: the pixels a 32-bit TGA of the same picture holds. They are kept as a TGA's
// are, blue, green, red, alpha, top row first, decoded whole into the picture's `decoded`.
//
// The size the header claims is checked before any memory is taken, under the limits of a
// run-length encoded TGA: at most 65535 pixels on a side and kMaxHeldPixels in all; an ancillary
// chunk may be 16 MiB, and all of them together 64 MiB.

#include <cstdint>
#include <span>
#include <string>

#include "io/binary_file.h"
#include "picture/tga_picture.h"

namespace typekiln {

/// The first 8 bytes of every PNG file.
inline constexpr std::uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

/// The libraries that read PNG pictures, with their versions, for a tool's --version:
/// "libspng 0.7.3 and zlib 1.2.13".
std::string PngLibraries();

/// True when `start`, the first bytes of a file, begin with PNG's signature.
bool StartsAsPng(std::span<const std::uint8_t> start);

/// Decodes the PNG in `file`, read from its first byte, into `picture`: its width and height (as
/// soon as the header gives them) and its pixels. `PngCutShort`, `PngChecksum` or `PngDamaged`
/// for a file that is cut short, whose chunk checksums fail, or that is damaged otherwise;
/// `TooLarge` for more pixels than the limits hold.
Failure ReadPngPixels(BinaryFile& file, Picture& picture);

}  // namespace typekiln
