#include "preview/png_file.h"

// The PNG coder and decoder are stb's single-file libraries, built here and nowhere else: the
// same code on every platform, with nothing to link.
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
