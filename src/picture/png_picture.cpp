#include "picture/png_picture.h"

#include <spng.h>
#include <zlib.h>

#include <algorithm>
#include <memory>
#include <new>

#include "report/console.h"
#include "report/messages.h"

namespace typekiln {

namespace {

constexpr std::uint32_t kMostSide = 65535;  // as a TGA's 16-bit sides
constexpr std::size_t kMostChunk = std::size_t{16} << 20;
constexpr std::size_t kMostChunks = std::size_t{64} << 20;
// What a PNG's pixels are kept as: a TGA's descriptor for 8 alpha bits, top row first.
constexpr std::uint8_t kTopFirstWithAlpha = 0x28;

using Decoder = std::unique_ptr<spng_ctx, decltype(&spng_ctx_free)>;

// Hands the decoder the file's next `length` bytes; a file that ends first is cut short.
int ReadFromFile(spng_ctx*, void* user, void* dest, std::size_t length) {
  return static_cast<BinaryFile*>(user)->Read(dest, length) ? 0 : SPNG_IO_EOF;
}

// What the decoder's `error` says of the picture at `path`.
Failure FailureOf(int error, const std::string& path) {
  switch (error) {
    case SPNG_IO_EOF:
    case SPNG_IO_ERROR:
    case SPNG_EIDAT_TOO_SHORT:
    case SPNG_EOF:
      return Failure::Because(msg::kPngCutShort, path.c_str());
    case SPNG_ECHUNK_CRC:
      return Failure::Because(msg::kPngChecksum, path.c_str());
    case SPNG_EUSER_WIDTH:
    case SPNG_EUSER_HEIGHT:
    case SPNG_EMEM:
    case SPNG_EOVERFLOW:
      return Failure::Because(msg::kPictureTooLarge, path.c_str());
    default:
      return Failure::Because(msg::kPngDamaged, path.c_str());
  }
}

}  // namespace

std::string PngLibraries() {
  return Format(msg::kPngLibraries, SPNG_VERSION_MAJOR, SPNG_VERSION_MINOR, SPNG_VERSION_PATCH,
                zlibVersion());
}

bool StartsAsPng(std::span<const std::uint8_t> start) {
  return start.size() >= sizeof kPngSignature &&
         std::equal(std::begin(kPngSignature), std::end(kPngSignature), start.begin());
}

Failure ReadPngPixels(BinaryFile& file, Picture& picture) {
  const auto tooLarge = [&] {
    return Failure::Because(msg::kPictureTooLarge, picture.path.c_str());
  };
  const Decoder decoder(spng_ctx_new(0), spng_ctx_free);
  if (decoder == nullptr)
    return tooLarge();
  spng_ctx* ctx = decoder.get();
  spng_ihdr header{};
  int error = spng_set_image_limits(ctx, kMostSide, kMostSide);
  if (error == 0)
    error = spng_set_chunk_limits(ctx, kMostChunk, kMostChunks);
  if (error == 0)
    error = spng_set_png_stream(ctx, ReadFromFile, &file);
  if (error == 0)
    error = spng_get_ihdr(ctx, &header);
  if (error != 0)
    return FailureOf(error, picture.path);
  picture.width = static_cast<std::int32_t>(header.width);
  picture.height = static_cast<std::int32_t>(header.height);
  picture.descriptor = kTopFirstWithAlpha;
  picture.topRowFirst = true;
  if (std::int64_t{picture.width} * picture.height > kMaxHeldPixels)
    return tooLarge();
  std::size_t size = 0;
  if ((error = spng_decoded_image_size(ctx, SPNG_FMT_RGBA8, &size)) != 0)
    return FailureOf(error, picture.path);
  try {
    picture.decoded.resize(size);
  } catch (const std::bad_alloc&) {
    return tooLarge();
  }
  if ((error = spng_decode_image(ctx, picture.decoded.data(), size, SPNG_FMT_RGBA8,
                                 SPNG_DECODE_TRNS)) != 0)
    return FailureOf(error, picture.path);
  // Red and blue change places: the pixels are kept in a TGA's byte order.
  for (std::size_t at = 0; at + 3 < size; at += kBytesPerPixel)
    std::swap(picture.decoded[at], picture.decoded[at + 2]);
  return {};
}

}  // namespace typekiln
