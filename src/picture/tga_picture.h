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
// for the picture. Pixels keep the file's byte and row order in memory: nothing is reordered.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "io/binary_file.h"
#include "picture/picture_allocator.h"
#include "report/failure.h"

namespace typekiln {

inline constexpr std::size_t kTgaHeaderSize = 18;

/// A picture's pixel data as its file holds it: four bytes per pixel (blue, green, red, alpha),
/// rows one after another in the file's order.
using PixelBytes = std::vector<std::uint8_t, PictureAllocator<std::uint8_t>>;

/// The current picture. A raw picture stays in its file, which is held open, and each grab reads
/// the rows of its band (through a RowCache); a run-length encoded picture is decoded whole into
/// `decoded`. Either way the pixels keep the file's byte order and row order.
struct Picture {
  std::int32_t width = 0;
  std::int32_t height = 0;
  bool topRowFirst = false;     ///< the file's first row is the top row, not the bottom one
  std::uint8_t descriptor = 0;  ///< the header's descriptor byte, as the file gives it
  std::string path;             ///< as `LoadTGA` named it
  BinaryFile file;              ///< open while the pixels are read from the file
  std::int64_t dataOffset = 0;  ///< where the file's pixel data starts
  PixelBytes decoded;           ///< every pixel, when the picture was decoded whole
  /// Different for every load of any picture, so that a row cache knows its rows are stale.
  std::uint64_t load = 0;
};

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

/// A pixel as the file holds it: blue, green, red, alpha.
inline constexpr std::int64_t kBytesPerPixel = 4;
inline constexpr std::int64_t kAlphaByte = 3;

/// Turns run-length encoded pixel data, handed over in pieces of any size, into the raw pixel
/// data it stands for: four bytes per pixel, in the file's own order, at `out`, which has room
/// for `pixels` pixels.
class TgaRunLengthDecoder {
 public:
  TgaRunLengthDecoder(std::uint8_t* out, std::int64_t pixels) : out_(out), total_(pixels) {}

  /// Decodes the next `size` bytes. False when they describe more pixels than the picture
  /// holds (a packet that runs past its end). Bytes after the last pixel are ignored.
  bool Feed(const std::uint8_t* bytes, std::size_t size);
  /// True once every pixel of the picture has been placed.
  bool Complete() const { return placed_ == total_; }

 private:
  enum class Expect { PacketHeader, RunPixel, Literals };

  void Place(const std::uint8_t* filePixels, std::int64_t count, bool repeat);

  std::uint8_t* out_;
  std::int64_t total_;
  std::int64_t placed_ = 0;
  Expect expect_ = Expect::PacketHeader;
  std::int64_t packetLeft_ = 0;   ///< pixels still to come in the current packet
  std::uint8_t partial_[4] = {};  ///< a pixel split between two pieces
  std::size_t partialSize_ = 0;
};

/// The most pixels the tool holds in memory at once: a picture decoded whole, or the band of
/// rows one grab reads from a raw picture. 1 GiB of pixel data.
inline constexpr std::int64_t kMaxHeldPixels = std::int64_t{1} << 28;

/// Makes `file`, opened from `path`, the picture, replacing the old one, whose pixels are
/// released first. A file that starts as a PNG is read as one (png_picture.h), whatever its name. A
/// raw picture's pixels are not read here: its file is kept open for the row caches. Fails, naming
/// `path`, with "Cannot open" for a file that is not open (width and height then stay as they
/// were), and for a file that is no true-colour 32-bit picture, holds fewer bytes than its header
/// promises, is a damaged PNG, or holds more pixels than kMaxHeldPixels; after any failure but
/// the first the picture has the file's width and height but no pixels.
Failure ReadTgaPicture(Picture& picture, const std::string& path, BinaryFile file);
/// The same for the file at `path`, opened here.
Failure ReadTgaPicture(Picture& picture, const std::string& path);

/// True when the picture has pixels to grab from: it loaded, and is neither 0 wide nor 0 high.
bool HasPixels(const Picture& picture);

}  // namespace typekiln
