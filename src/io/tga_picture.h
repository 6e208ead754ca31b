#pragma once

// Reads 32-bit true-colour TGA pictures. The parts of the file read, little-endian where wider
// than one byte:
//
//   offset  size  field
//        0     1  identification length: bytes of free text after the header
//        1     1  colour-map type: 1 when a colour map follows the identification
//        2     1  image type: 2 raw true-colour, 10 run-length encoded true-colour
//        5     2  colour-map entry count
//        7     1  colour-map entry size in bits (each entry takes whole bytes)
//       12     2  width
//       14     2  height
//       16     1  bits per pixel: must be 32
//       17     1  descriptor: bit 5 set when the first row in the file is the top row
//       18        identification, colour map, then the pixel data
//
// Each pixel in the file is four bytes: blue, green, red, alpha. Raw data is width x height such
// pixels; run-length data is packets, each a byte n then either (n & 0x80) one pixel repeated
// (n & 0x7F) + 1 times, or (n & 0x7F) + 1 pixels as they are. Rows follow each other without
// breaks, bottom row first unless the descriptor says top row first. Anything after the last
// pixel is not read.
//
// Every claim the header makes is checked against the file's size before any memory is taken
// for the picture.

#include <cstddef>
#include <cstdint>
#include <string>

#include "main/console.h"
#include "state/build_state.h"

namespace typekiln {

inline constexpr std::size_t kTgaHeaderSize = 18;

struct TgaHeader {
  std::uint8_t idLength = 0;
  std::uint8_t colourMapType = 0;
  std::uint8_t imageType = 0;
  std::uint16_t colourMapLength = 0;
  std::uint8_t colourMapEntryBits = 0;
  std::uint16_t width = 0;
  std::uint16_t height = 0;
  std::uint8_t depth = 0;
  std::uint8_t descriptor = 0;

  bool IsTrueColour() const { return imageType == 2 || imageType == 10; }
  bool IsRunLengthEncoded() const { return imageType == 10; }
  bool TopRowFirst() const { return (descriptor & 0x20) != 0; }
  /// Where the pixel data starts: after the header, the identification and any colour map.
  std::int64_t PixelDataOffset() const;
  /// The fewest bytes of pixel data that can describe every pixel.
  std::int64_t MinimumPixelDataSize() const;
};

/// Reads the fields of the 18 header bytes at `bytes`.
TgaHeader ParseTgaHeader(const std::uint8_t* bytes);

/// Turns `rows` whole rows of file pixels (blue, green, red, alpha), read into the picture at
/// `block`, into picture pixels (red, green, blue, alpha), reversing the order of the rows when
/// `flip` is set (the file's rows run bottom to top). Works in place, on a block small enough to
/// stay in cache.
void FlipAndSwapRows(Pixel* block, std::int32_t width, std::int64_t rows, bool flip);

/// Turns a picture's run-length encoded pixel data, handed over in pieces of any size, into the
/// rows of a picture whose pixel buffer already holds width x height pixels: row 0 at the top,
/// each pixel red, green, blue, alpha.
class TgaRunLengthDecoder {
 public:
  TgaRunLengthDecoder(Image& image, bool topRowFirst);

  /// Decodes the next `size` bytes. False when they describe more pixels than the picture
  /// holds (a packet that runs past its end). Bytes after the last pixel are ignored.
  bool Feed(const std::uint8_t* bytes, std::size_t size);
  /// True once every pixel of the picture has been placed.
  bool Complete() const { return placed_ == total_; }

 private:
  enum class Expect { PacketHeader, RunPixel, Literals };

  void Place(const std::uint8_t* filePixels, std::int64_t count, bool repeat);
  void NextRow();

  Image& image_;
  bool topRowFirst_;
  std::int64_t total_;
  std::int64_t placed_ = 0;
  Expect expect_ = Expect::PacketHeader;
  std::int64_t packetLeft_ = 0;   ///< pixels still to come in the current packet
  std::uint8_t partial_[4] = {};  ///< a pixel split between two pieces
  std::size_t partialSize_ = 0;
  std::int32_t fileRow_ = -1;
  std::int32_t column_ = 0;
  Pixel* row_ = nullptr;
};

/// Makes the file at `path` the picture, replacing the old one, whose pixels are released first.
/// Reports "Cannot open" (width and height then stay as they were), "is not a true-colour TGA!",
/// "is not 32bpp!", "is truncated" or "is too large to hold in memory"; after any of the last
/// four the picture has the file's width and height but no pixels.
void ReadTgaPicture(Console& console, Image& image, const std::string& path);

/// `LoadTGA <path>`.
void HandleLoadTga(BuildState& state, Console& console, const std::string& line);

}  // namespace typekiln
