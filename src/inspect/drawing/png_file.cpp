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

// The PNG coder and decoder are stb's single-file libraries, built here and nowhere else: the
// same code on every platform.
#define STBIW_ZLIB_COMPRESS Deflate
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_WRITE_NO_STDIO
#include <stb_image_write.h>
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#include <stb_image.h>

#include <cstdint>
#include <memory>

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

std::optional<Canvas> ReadPng(const std::string& path) {
  int width = 0;
  int height = 0;
  int channels = 0;
  // Every colour type comes out as 8-bit red, green, blue and alpha.
  const std::unique_ptr<stbi_uc, void (*)(void*)> pixels(
      stbi_load(path.c_str(), &width, &height, &channels, 4), stbi_image_free);
  if (pixels == nullptr || width <= 0 || height <= 0)
    return std::nullopt;
  Canvas canvas(width, height, Colour{0, 0, 0});
  const std::size_t size =
      std::size_t{4} * static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
  canvas.rgba().assign(pixels.get(), pixels.get() + size);
  return canvas;
}

}  // namespace typekiln
