#include "picture/tga_picture.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <new>
#include <vector>

#include "io/byte_order.h"
#include "picture/png_picture.h"
#include "report/messages.h"

namespace typekiln {

namespace {

constexpr std::int64_t kMaxPixelsPerPacket = 128;
constexpr std::int64_t kRunPacketSize = 1 + kBytesPerPixel;
constexpr std::int64_t kReadChunkSize = 256 * 1024;  // run-length data is read in such pieces

void ForgetPixels(Picture& picture) {
  picture.file.Close();
  PixelBytes().swap(picture.decoded);
  // Every load is told apart from every other, of this picture or another.
  static std::atomic<std::uint64_t> loads{0};
  picture.load = ++loads;
}

// Reads run-length data in pieces until every pixel is decoded; `available` bytes are left in
// the file.
bool ReadRunLengthPixels(BinaryFile& file, std::int64_t available, Picture& picture) {
  TgaRunLengthDecoder decoder(picture.decoded.data(),
                              static_cast<std::int64_t>(picture.decoded.size()) / kBytesPerPixel);
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

// Checks the file whose header has been read, then keeps a raw picture's file open, or decodes a
// run-length encoded picture whole.
Failure LoadPixels(BinaryFile& file, const TgaHeader& header, Picture& picture) {
  const char* path = picture.path.c_str();
  if (!header.IsTrueColour())
    return Failure::Because(msg::kNotTrueColour, path);
  if (header.depth != 32)
    return Failure::Because(msg::kNot32Bpp, path);
  const std::int64_t start = header.PixelDataOffset();
  const std::int64_t available = file.Size() - start;
  if (available < header.MinimumPixelDataSize())
    return Failure::Because(msg::kTruncated, path);
  picture.topRowFirst = header.TopRowFirst();
  picture.dataOffset = start;
  const std::int64_t pixelCount = std::int64_t{header.width} * header.height;
  if (pixelCount == 0)
    return {};
  if (!header.IsRunLengthEncoded()) {
    // A grab reads its rows at their place in the file, which must therefore be positionable.
    if (!file.Seek(start))
      return Failure::Because(msg::kTruncated, path);
    picture.file = std::move(file);
    return {};
  }
  if (pixelCount > kMaxHeldPixels)
    return Failure::Because(msg::kPictureTooLarge, path);
  try {
    picture.decoded.resize(static_cast<std::size_t>(pixelCount * kBytesPerPixel));
  } catch (const std::bad_alloc&) {
    return Failure::Because(msg::kPictureTooLarge, path);
  }
  if (!file.Seek(start) || !ReadRunLengthPixels(file, available, picture))
    return Failure::Because(msg::kTruncated, path);
  return {};
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

// Places `count` pixels in file order: the next `count` of `filePixels`, or its first pixel
// `count` times.
void TgaRunLengthDecoder::Place(const std::uint8_t* filePixels, std::int64_t count, bool repeat) {
  std::uint8_t* at = out_ + placed_ * kBytesPerPixel;
  if (!repeat) {
    std::memcpy(at, filePixels, static_cast<std::size_t>(count * kBytesPerPixel));
  } else {
    for (std::int64_t i = 0; i < count; ++i, at += kBytesPerPixel)
      std::memcpy(at, filePixels, kBytesPerPixel);
  }
  placed_ += count;
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

Failure ReadTgaPicture(Picture& picture, const std::string& path, BinaryFile file) {
  ForgetPixels(picture);
  if (!file.IsOpen())
    return Failure::Because(msg::kCannotOpen, path.c_str());
  // A file too short for a header leaves the missing bytes 0, and is then no 32-bit picture.
  std::uint8_t bytes[kTgaHeaderSize] = {};
  const bool wholeHeader = file.Read(bytes, sizeof bytes);
  if (StartsAsPng(bytes)) {
    picture.path = path;
    const Failure failure = file.Seek(0) ? ReadPngPixels(file, picture)
                                         : Failure::Because(msg::kPngCutShort, path.c_str());
    if (failure.Failed())
      ForgetPixels(picture);
    return failure;
  }
  const TgaHeader header = ParseTgaHeader(bytes);
  picture.width = header.width;
  picture.height = header.height;
  picture.descriptor = header.descriptor;
  picture.path = path;
  const Failure failure = wholeHeader ? LoadPixels(file, header, picture)
                                      : Failure::Because(msg::kNot32Bpp, path.c_str());
  if (failure.Failed())
    ForgetPixels(picture);
  return failure;
}

Failure ReadTgaPicture(Picture& picture, const std::string& path) {
  BinaryFile file;
  file.OpenRead(path);
  return ReadTgaPicture(picture, path, std::move(file));
}

bool HasPixels(const Picture& picture) {
  return picture.width > 0 && picture.height > 0 &&
         (picture.file.IsOpen() || !picture.decoded.empty());
}

}  // namespace typekiln
