#include "preview/png_file.h"

#include <png.h>

#include <cstdio>
#include <vector>

#include "io/output_file.h"

namespace typekiln {

namespace {

// libpng reports errors by longjmp; these steps run between setjmp and the jump and hold no
// objects with destructors, so nothing is skipped when it jumps.
void WriteBytes(png_structp png, png_bytep bytes, png_size_t count) {
  static_cast<OutputFile*>(png_get_io_ptr(png))->Write(bytes, count);
}

void FlushNothing(png_structp) {}  // the output is flushed once, when it is committed

bool WriteRows(OutputFile& file, int width, int height, png_bytep* rows) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
  if (info == nullptr) {
    png_destroy_write_struct(&png, nullptr);
    return false;
  }
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_set_write_fn(png, &file, WriteBytes, FlushNothing);
  png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
               PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  png_write_image(png, rows);
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return true;
}

bool ReadRows(std::FILE* file, std::vector<png_byte>& pixels, png_uint_32& width,
              png_uint_32& height) {
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
  if (info == nullptr) {
    png_destroy_read_struct(&png, nullptr, nullptr);
    return false;
  }
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    return false;
  }
  png_init_io(png, file);
  png_read_info(png, info);
  // Every colour type becomes 8-bit red, green, blue and alpha.
  png_set_expand(png);
  png_set_strip_16(png);
  png_set_gray_to_rgb(png);
  png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
  png_read_update_info(png, info);
  width = png_get_image_width(png, info);
  height = png_get_image_height(png, info);
  pixels.resize(std::size_t{width} * height * 4);
  for (png_uint_32 row = 0; row < height; ++row)
    png_read_row(png, &pixels[std::size_t{row} * width * 4], nullptr);
  png_destroy_read_struct(&png, &info, nullptr);
  return true;
}

}  // namespace

bool WritePng(const Canvas& canvas, const std::string& path) {
  OutputFile file;
  if (!file.Create(path))
    return false;
  std::vector<png_bytep> rows(static_cast<std::size_t>(canvas.height()));
  for (int y = 0; y < canvas.height(); ++y) {
    rows[static_cast<std::size_t>(y)] = const_cast<png_bytep>(
        &canvas.rgba()[static_cast<std::size_t>(y) * static_cast<std::size_t>(canvas.width()) * 4]);
  }
  const bool written = WriteRows(file, canvas.width(), canvas.height(), rows.data());
  return written && file.Commit();
}

std::optional<Canvas> ReadPng(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr)
    return std::nullopt;
  std::vector<png_byte> pixels;
  png_uint_32 width = 0;
  png_uint_32 height = 0;
  const bool read = ReadRows(file, pixels, width, height);
  std::fclose(file);
  if (!read || width == 0 || height == 0)
    return std::nullopt;
  Canvas canvas(static_cast<int>(width), static_cast<int>(height), Colour{0, 0, 0});
  canvas.rgba().assign(pixels.begin(), pixels.end());
  return canvas;
}

}  // namespace typekiln
