// Arbitrary bytes as the chunks of a PNG picture: PNG's signature goes before them and every
// whole chunk's checksum is made right, so that what the fuzzer changes reaches the decoder's
// handling of the chunk instead of failing its checksum. The picture is then loaded by the tool's
// loader and grabbed from as fuzz_tga does.

#include <zlib.h>

#include <vector>

#include "fuzz_support.h"
#include "io/byte_order.h"
#include "picture/png_picture.h"

void typekiln::fuzz::FuzzOne(const std::uint8_t* data, std::size_t size) {
  std::vector<std::uint8_t> png(std::begin(kPngSignature), std::end(kPngSignature));
  png.insert(png.end(), data, data + size);
  // Each chunk: a 4-byte length, a 4-byte type, the data, then the checksum of type and data.
  for (std::size_t at = sizeof kPngSignature; png.size() - at >= 12;) {
    const std::uint32_t length = GetBE32(&png[at]);
    if (length > png.size() - at - 12)
      break;
    const std::size_t checked = at + 4;
    const auto crc = static_cast<std::uint32_t>(crc32(0, &png[checked], length + 4));
    PutBE32(&png[checked + 4 + length], crc);
    at = checked + 4 + length + 4;
  }
  if (!fuzz::PictureIsSmallEnough(png))
    return;
  const fuzz::MemoryFile file(png);
  BuildState state;
  fuzz::LoadGrabAndCheck(state);
}
