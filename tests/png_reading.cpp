#include "png_reading.h"

// stb's decoder, static so that it cannot clash with the copies the tools build.
#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_STATIC
#define STBI_ONLY_PNG
#include <stb_image.h>

#include <cstddef>
#include <memory>

namespace typekiln::test {

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

}  // namespace typekiln::test
