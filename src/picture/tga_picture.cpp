#include "picture/tga_picture.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include "io/binary_file.h"
#include "io/byte_order.h"
#include "report/messages.h"
#include "script/line_scanner.h"

namespace typekiln {

namespace {

constexpr std::int64_t kMaxPixelsPerPacket = 128;
constexpr std::int64_t kRunPacketSize = 1 + kBytesPerPixel;
constexpr std::int64_t kReadChunkSize = 256 * 1024;  // run-length data is read in such pieces

void ForgetPixels(Image& image) {
  image.file.Close();
  PixelBytes().swap(image.decoded);
  image.bandFirst = image.bandEnd = 0;
}

// Reads run-length data in pieces until every pixel is decoded; `available` bytes are left in
// the file.
bool ReadRunLengthPixels(BinaryFile& file, std::int64_t available, Image& image) {
  TgaRunLengthDecoder decoder(image.decoded.data(),
                              static_cast<std::int64_t>(image.decoded.size()) / kBytesPerPixel);
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
// run-length encoded picture whole. Returns the message for what is wrong, or nullptr.
const char* LoadPixels(BinaryFile& file, const TgaHeader& header, Image& image) {
  if (!header.IsTrueColour())
    return msg::kNotTrueColour;
  if (header.depth != 32)
    return msg::kNot32Bpp;
  const std::int64_t start = header.PixelDataOffset();
  const std::int64_t available = file.Size() - start;
  if (available < header.MinimumPixelDataSize())
    return msg::kTruncated;
  image.topRowFirst = header.TopRowFirst();
  image.dataOffset = start;
  const std::int64_t pixelCount = std::int64_t{header.width} * header.height;
  if (pixelCount == 0)
    return nullptr;
  if (!header.IsRunLengthEncoded()) {
    // A grab reads its rows at their place in the file, which must therefore be positionable.
    if (!file.Seek(start))
      return msg::kTruncated;
    image.file = std::move(file);
    return nullptr;
  }
  if (pixelCount > kMaxHeldPixels)
    return msg::kPictureTooLarge;
  try {
    image.decoded.resize(static_cast<std::size_t>(pixelCount * kBytesPerPixel));
  } catch (const std::bad_alloc&) {
    return msg::kPictureTooLarge;
  }
  if (!file.Seek(start) || !ReadRunLengthPixels(file, available, image))
    return msg::kTruncated;
  return nullptr;
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

bool ReadTgaPicture(Console& console, Image& image, const std::string& path) {
  ForgetPixels(image);
  BinaryFile file;
  if (!file.OpenRead(path)) {
    ReportError(console, msg::kCannotOpen, path.c_str());
    return false;
  }
  // A file too short for a header leaves the missing bytes 0, and is then no 32-bit picture.
  std::uint8_t bytes[kTgaHeaderSize] = {};
  const bool wholeHeader = file.Read(bytes, sizeof bytes);
  const TgaHeader header = ParseTgaHeader(bytes);
  image.width = header.width;
  image.height = header.height;
  image.descriptor = header.descriptor;
  image.path = path;
  const char* failure = wholeHeader ? LoadPixels(file, header, image) : msg::kNot32Bpp;
  if (failure != nullptr) {
    ForgetPixels(image);
    ReportError(console, failure, path.c_str());
  }
  return failure == nullptr;
}

bool HasPixels(const Image& image) {
  return image.width > 0 && image.height > 0 && (image.file.IsOpen() || !image.decoded.empty());
}

const char* ReadRows(Image& image, std::int64_t first, std::int64_t end, PixelRows& rows) {
  const std::int64_t rowBytes = std::int64_t{image.width} * kBytesPerPixel;
  // The file rows that hold them: they follow each other in the file whichever way it runs.
  const std::int64_t fileFirst = image.topRowFirst ? first : image.height - end;
  const std::int64_t fileEnd = fileFirst + (end - first);
  const std::uint8_t* held = nullptr;  // file row fileFirst
  if (!image.decoded.empty()) {
    held = image.decoded.data() + fileFirst * rowBytes;
  } else {
    if (fileFirst < image.bandFirst || fileEnd > image.bandEnd) {
      if ((fileEnd - fileFirst) * image.width > kMaxHeldPixels)
        return msg::kPictureTooLarge;
      const auto size = static_cast<std::size_t>((fileEnd - fileFirst) * rowBytes);
      image.bandFirst = image.bandEnd = 0;
      try {
        image.band.clear();  // so that growing it copies nothing
        image.band.resize(size);
      } catch (const std::bad_alloc&) {
        return msg::kPictureTooLarge;
      }
      if (!image.file.ReadAt(image.dataOffset + fileFirst * rowBytes, image.band.data(), size))
        return msg::kTruncated;
      image.bandFirst = fileFirst;
      image.bandEnd = fileEnd;
    }
    held = image.band.data() + (fileFirst - image.bandFirst) * rowBytes;
  }
  rows.first = image.topRowFirst ? held : held + (end - first - 1) * rowBytes;
  rows.step = image.topRowFirst ? rowBytes : -rowBytes;
  return nullptr;
}

bool VisitRows(Image& image,
               const std::function<bool(std::int64_t y, const std::uint8_t* row)>& visit) {
  // About 1 MiB of pixels at a time, whatever the picture's size.
  const std::int64_t rowsAtOnce = std::max<std::int64_t>(1, (std::int64_t{1} << 18) / image.width);
  for (std::int64_t first = 0; first < image.height; first += rowsAtOnce) {
    const std::int64_t end = std::min<std::int64_t>(first + rowsAtOnce, image.height);
    PixelRows rows;
    if (ReadRows(image, first, end, rows) != nullptr)
      return false;
    for (std::int64_t y = first; y < end; ++y) {
      if (!visit(y, rows.Row(y - first)))
        return true;
    }
  }
  return true;
}

void HandleLoadTga(BuildState& state, Console& console, const ScriptLine& line) {
  LineScanner scan(line.text);
  std::string path;
  if (!(scan.Word() && scan.Word(&path)))
    return ReportError(console, msg::kMissingValue, line.text.c_str());
  Verbose(state, console, msg::kLoading, path.c_str());
  // Also a picture that fails to load is the artist's: the font must not replace it.
  RememberInput(state, path);
  if (ReadTgaPicture(console, state.image, path) && state.observer != nullptr)
    state.observer->PictureLoaded(line, state.image);
}

}  // namespace typekiln
