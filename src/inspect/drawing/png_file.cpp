#include "inspect/drawing/png_file.h"

#include <zlib.h>

#include <cstdlib>

namespace {

// stb's own deflate writes fixed codes only, which makes an overlay's PNG eight times the size
// zlib makes it, and takes twice the time. The coder frees what this returns with free().
unsigned char* Deflate(unsigned char* data, int length, int* deflatedLength, int /*quality*/) {
  uLongf size = compressBound(static_cast<uLong>(length));
  auto* deflated = static_cast<unsigned char*>(std::malloc(size));
  if (deflated == nullptr ||
      compress2(deflated, &size, data, static_cast<uLong>(length), Z_DEFAULT_COMPRESSION) != Z_OK) {
    std::free(deflated);
    return nullptr;
  }
  *deflatedLength = static_cast<int>(size);
  return deflated;
}

}  // namespace

// The PNG coder is stb's single-file library, built here and nowhere else: the same code on
// every platform.
#define STBIW_ZLIB_COMPRESS Deflate
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_WRITE_NO_STDIO
#include <stb_image_write.h>

#include <cstdint>

#include "io/output_file.h"

namespace typekiln {

namespace {

void WriteBytes(void* file, void* bytes, int count) {
  static_cast<OutputFile*>(file)->Write(bytes, static_cast<std::size_t>(count));
}

}  // namespace

bool WritePng(const Canvas& canvas, const std::string& path) {
  OutputFile file;
  if (!file.Create(path))
    return false;
  // The coder builds the whole file in memory and then hands it over in one piece; it fails
  // when that memory cannot be had.
  const bool written = stbi_write_png_to_func(WriteBytes, &file, canvas.width(), canvas.height(), 4,
                                              canvas.rgba().data(), canvas.width() * 4) != 0;
  return written && file.Commit();
}

}  // namespace typekiln
