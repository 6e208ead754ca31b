#include "io/tga_picture.h"

#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cstring>
#include <new>
#include <vector>

#include "io/binary_file.h"
#include "io/byte_order.h"
#include "main/messages.h"
#include "script/line_scanner.h"

namespace typekiln {

namespace {

constexpr std::int64_t kBytesPerPixel = 4;
constexpr std::int64_t kMaxPixelsPerPacket = 128;
constexpr std::int64_t kRunPacketSize = 1 + kBytesPerPixel;
// Small enough to stay in cache while its pixels are reordered.
constexpr std::int64_t kReadChunkSize = 256 * 1024;

// The file's blue, green, red, alpha as the picture's red, green, blue, alpha: the first and
// third bytes change places. Done on the 4-byte word, which compilers handle many at a time.
std::uint32_t SwapRedAndBlue(std::uint32_t bytes) {
  if constexpr (std::endian::native == std::endian::little)
    return (bytes & 0xFF00FF00u) | (bytes >> 16 & 0xFFu) | (bytes & 0xFFu) << 16;
  else
    return (bytes & 0x00FF00FFu) | (bytes >> 16 & 0xFF00u) | (bytes & 0xFF00u) << 16;
}

// Converts `count` pixels from `from` to `to`, which may be the same place.
void StorePixels(const void* from, Pixel* to, std::int64_t count) {
  static_assert(sizeof(Pixel) == kBytesPerPixel);
  const auto* in = static_cast<const unsigned char*>(from);
  auto* out = reinterpret_cast<unsigned char*>(to);
  for (std::int64_t i = 0; i < count * kBytesPerPixel; i += kBytesPerPixel) {
    std::uint32_t bytes;
    std::memcpy(&bytes, in + i, sizeof bytes);
    bytes = SwapRedAndBlue(bytes);
    std::memcpy(out + i, &bytes, sizeof bytes);
  }
}

// True unless the picture is plainly larger than the machine's memory. Allocating such a buffer
// may seem to succeed and then end the process once its pages are touched.
bool CouldFitInMemory(std::int64_t bytes) {
  const long pages = sysconf(_SC_PHYS_PAGES);
  const long pageSize = sysconf(_SC_PAGESIZE);
  if (pages <= 0 || pageSize <= 0)
    return true;  // unknown: the allocation decides
  return bytes / pageSize <= pages;
}

// Reads raw pixel data a block of whole rows at a time straight into the rows' places, then puts
// the block in order while it is still in cache.
bool ReadRawPixels(BinaryFile& file, const TgaHeader& header, Image& image) {
  if (image.width == 0)
    return true;
  const std::int64_t rowBytes = std::int64_t{image.width} * kBytesPerPixel;
  const std::int64_t rowsPerBlock = std::max<std::int64_t>(1, kReadChunkSize / rowBytes);
  for (std::int64_t fileRow = 0; fileRow < image.height; fileRow += rowsPerBlock) {
    const std::int64_t rows = std::min(rowsPerBlock, image.height - fileRow);
    const std::int64_t firstRow = header.TopRowFirst() ? fileRow : image.height - fileRow - rows;
    Pixel* block = image.pixels.data() + firstRow * image.width;
    if (!file.Read(block, static_cast<std::size_t>(rows * rowBytes)))
      return false;
    FlipAndSwapRows(block, image.width, rows, !header.TopRowFirst());
  }
  return true;
}

// Reads run-length data in pieces until every pixel is decoded; `available` bytes are left in
// the file.
bool ReadRunLengthPixels(BinaryFile& file, std::int64_t available, const TgaHeader& header,
                         Image& image) {
  TgaRunLengthDecoder decoder(image, header.TopRowFirst());
  std::vector<std::uint8_t> chunk(static_cast<std::size_t>(std::min(available, kReadChunkSize)));
  while (!decoder.Complete()) {
    if (available == 0)
      return false;
    const std::size_t size = static_cast<std::size_t>(std::min(available, kReadChunkSize));
    if (!file.Read(chunk.data(), size) || !decoder.Feed(chunk.data(), size))
      return false;
    available -= static_cast<std::int64_t>(size);
  }
  return true;
}

// Loads the pixels of the file whose header has been read. Returns the message for what is
// wrong, or nullptr when the picture loaded.
const char* LoadPixels(BinaryFile& file, const TgaHeader& header, Image& image) {
  if (!header.IsTrueColour())
    return msg::kNotTrueColour;
  if (header.depth != 32)
    return msg::kNot32Bpp;
  const std::int64_t start = header.PixelDataOffset();
  const std::int64_t available = file.Size() - start;
  if (available < header.MinimumPixelDataSize())
    return msg::kTruncated;
  const std::int64_t pixelCount = std::int64_t{header.width} * header.height;
  if (!CouldFitInMemory(pixelCount * kBytesPerPixel))
    return msg::kPictureTooLarge;
  try {
    image.pixels.resize(static_cast<std::size_t>(pixelCount));
  } catch (const std::bad_alloc&) {
    return msg::kPictureTooLarge;
  }
  if (!file.Seek(start))
    return msg::kTruncated;
  const bool read = header.IsRunLengthEncoded()
                        ? ReadRunLengthPixels(file, available, header, image)
                        : ReadRawPixels(file, header, image);
  return read ? nullptr : msg::kTruncated;
}

}  // namespace

std::int64_t TgaHeader::PixelDataOffset() const {
  std::int64_t offset = std::int64_t{kTgaHeaderSize} + idLength;
  if (colourMapType == 1)
    offset += std::int64_t{colourMapLength} * ((colourMapEntryBits + 7) / 8);
  return offset;
}

std::int64_t TgaHeader::MinimumPixelDataSize() const {
  const std::int64_t pixelCount = std::int64_t{width} * height;
  if (!IsRunLengthEncoded())
    return pixelCount * kBytesPerPixel;
  return (pixelCount + kMaxPixelsPerPacket - 1) / kMaxPixelsPerPacket * kRunPacketSize;
}

TgaHeader ParseTgaHeader(const std::uint8_t* bytes) {
  TgaHeader header;
  header.idLength = bytes[0];
  header.colourMapType = bytes[1];
  header.imageType = bytes[2];
  header.colourMapLength = GetLE16(bytes + 5);
  header.colourMapEntryBits = bytes[7];
  header.width = GetLE16(bytes + 12);
  header.height = GetLE16(bytes + 14);
  header.depth = bytes[16];
  header.descriptor = bytes[17];
  return header;
}

void FlipAndSwapRows(Pixel* block, std::int32_t width, std::int64_t rows, bool flip) {
  if (!flip)
    return StorePixels(block, block, width * rows);
  std::vector<Pixel> spare(static_cast<std::size_t>(width));
  for (std::int64_t upper = 0, lower = rows - 1; upper <= lower; ++upper, --lower) {
    Pixel* a = block + upper * width;
    Pixel* b = block + lower * width;
    StorePixels(a, spare.data(), width);
    StorePixels(b, a, width);
    std::copy_n(spare.data(), width, b);
  }
}

TgaRunLengthDecoder::TgaRunLengthDecoder(Image& image, bool topRowFirst)
    : image_(image),
      topRowFirst_(topRowFirst),
      // A buffer of the wrong size takes nothing, rather than pixels past its end.
      total_(static_cast<std::int64_t>(image.pixels.size()) ==
                     std::int64_t{image.width} * image.height
                 ? std::int64_t{image.width} * image.height
                 : 0) {
  NextRow();
}

void TgaRunLengthDecoder::NextRow() {
  ++fileRow_;
  column_ = 0;
  if (fileRow_ >= image_.height || Complete())
    return;
  const std::int32_t row = topRowFirst_ ? fileRow_ : image_.height - 1 - fileRow_;
  row_ = image_.pixels.data() + std::int64_t{row} * image_.width;
}

// Places `count` pixels in file order: the next `count` of `filePixels`, or its first pixel
// `count` times.
void TgaRunLengthDecoder::Place(const std::uint8_t* filePixels, std::int64_t count, bool repeat) {
  while (count > 0) {
    const std::int64_t here = std::min<std::int64_t>(count, image_.width - column_);
    if (repeat) {
      Pixel pixel;
      StorePixels(filePixels, &pixel, 1);
      std::fill_n(row_ + column_, here, pixel);
    } else {
      StorePixels(filePixels, row_ + column_, here);
      filePixels += here * kBytesPerPixel;
    }
    column_ += static_cast<std::int32_t>(here);
    placed_ += here;
    count -= here;
    if (column_ == image_.width)
      NextRow();
  }
}

bool TgaRunLengthDecoder::Feed(const std::uint8_t* bytes, std::size_t size) {
  while (size > 0 && !Complete()) {
    if (expect_ == Expect::PacketHeader) {
      const std::uint8_t packet = *bytes++;
      --size;
      packetLeft_ = (packet & 0x7F) + 1;
      if (packetLeft_ > total_ - placed_)
        return false;
      expect_ = (packet & 0x80) != 0 ? Expect::RunPixel : Expect::Literals;
      continue;
    }
    const std::uint8_t* pixels = bytes;
    std::int64_t whole = static_cast<std::int64_t>(size) / kBytesPerPixel;
    if (partialSize_ > 0 || whole == 0) {
      // A pixel that straddles two pieces is gathered first.
      const std::size_t take = std::min(sizeof partial_ - partialSize_, size);
      std::memcpy(partial_ + partialSize_, bytes, take);
      partialSize_ += take;
      bytes += take;
      size -= take;
      if (partialSize_ < sizeof partial_)
        break;
      partialSize_ = 0;
      pixels = partial_;
      whole = 1;
    }
    const bool repeat = expect_ == Expect::RunPixel;
    const std::int64_t used = repeat ? 1 : std::min(packetLeft_, whole);
    Place(pixels, repeat ? packetLeft_ : used, repeat);
    packetLeft_ = repeat ? 0 : packetLeft_ - used;
    if (pixels == bytes) {
      bytes += used * kBytesPerPixel;
      size -= static_cast<std::size_t>(used * kBytesPerPixel);
    }
    if (packetLeft_ == 0)
      expect_ = Expect::PacketHeader;
  }
  return true;
}

void ReadTgaPicture(Console& console, Image& image, const std::string& path) {
  PixelBuffer().swap(image.pixels);
  BinaryFile file;
  if (!file.OpenRead(path))
    return ReportError(console, msg::kCannotOpen, path.c_str());
  // A file too short for a header leaves the missing bytes 0, and is then no 32-bit picture.
  std::uint8_t bytes[kTgaHeaderSize] = {};
  const bool wholeHeader = file.Read(bytes, sizeof bytes);
  const TgaHeader header = ParseTgaHeader(bytes);
  image.width = header.width;
  image.height = header.height;
  const char* failure = wholeHeader ? LoadPixels(file, header, image) : msg::kNot32Bpp;
  if (failure != nullptr) {
    PixelBuffer().swap(image.pixels);
    ReportError(console, failure, path.c_str());
  }
}

void HandleLoadTga(BuildState& state, Console& console, const std::string& line) {
  LineScanner scan(line);
  std::string path;
  if (!(scan.Word() && scan.Word(&path)))
    return ReportError(console, msg::kMissingValue, line.c_str());
  Verbose(state, console, msg::kLoading, path.c_str());
  ReadTgaPicture(console, state.image, path);
}

}  // namespace typekiln
