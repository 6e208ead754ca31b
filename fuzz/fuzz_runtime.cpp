// Arbitrary bytes as a font for the game runtime. tkf_open must accept exactly the fonts in which
// the font reader finds nothing that would make a game read outside the file or draw garbage;
// whatever opens is measured and set, with every byte value in the text, on surfaces of every
// format at pen positions and in boxes that clip on every side, and packed into glyph pages, so
// the sanitizers see any step outside the font, the surface or the pages.

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "inspect/font_file/font_reader.h"
#include "typekiln_font.h"

namespace {

// Every byte value but the terminator, a new line among them.
std::string EveryByte() {
  std::string text;
  for (int code = 1; code < 256; ++code) text += static_cast<char>(code);
  return text;
}

}  // namespace

void typekiln::fuzz::FuzzOne(const std::uint8_t* data, std::size_t size) {
  const FontFile font = ReadFont({data, size});
  tkf_font game;
  const int error = tkf_open(&game, data, size);
  if ((error == TKF_OK) != font.drawable) {
    std::fprintf(stderr, "tkf_open says \"%s\", the reader finds %s\n", tkf_error(error),
                 font.problems.empty() ? "nothing wrong" : font.problems.front().c_str());
    std::abort();
  }
  if (error != TKF_OK)
    return;
  static const std::string text = EveryByte();
  int width = 0;
  int height = 0;
  tkf_measure(&game, text.c_str(), &width, &height);
  int left = 0;
  int top = 0;
  tkf_bounds(&game, text.c_str(), &left, &top, &width, &height);
  // Odd sizes, and each surface exactly as large as its pixels, so that a step past it is seen.
  constexpr int kWidth = 37;
  constexpr int kHeight = 23;
  std::vector<std::uint32_t> wide(kWidth * kHeight);
  std::vector<std::uint16_t> narrow(kWidth * kHeight);
  tkf_surface surfaces[] = {{wide.data(), kWidth, kHeight, kWidth * 4, TKF_RGBA8888},
                            {narrow.data(), kWidth, kHeight, kWidth * 2, TKF_RGBA5551},
                            {wide.data(), kWidth, kHeight, kWidth * 4, TKF_RGBA8888_BE},
                            {narrow.data(), kWidth, kHeight, kWidth * 2, TKF_RGBA5551_BE}};
  constexpr int kPens[][2] = {{0, 0}, {-300, -300}, {20, 11}, {-40, 15}, {30, -260}};
  // Boxes narrower than a glyph, half off the surface, and taller than it; UTF-8 or bytes.
  constexpr tkf_box kBoxes[] = {{-5, -3, 1, 40, TKF_ALIGN_CENTER, TKF_UTF8},
                                {10, 4, 30, 15, TKF_ALIGN_RIGHT, 0},
                                {-20, 7, 60, 300, TKF_ALIGN_LEFT, TKF_UTF8}};
  for (tkf_surface& surface : surfaces) {
    for (const auto& pen : kPens)
      tkf_draw(&game, &surface, pen[0], pen[1], text.c_str(), 0xFFFFFFFF, 0x000000FF);
    for (const tkf_box& box : kBoxes) {
      const std::size_t set =
          tkf_draw_box(&game, &surface, &box, text.c_str(), text.size(), 0xFFFFFFFF, 0x000000FF);
      int lines = 0;
      std::size_t consumed = 0;
      tkf_measure_box(&game, &box, text.c_str(), text.size(), &lines, &height, &consumed);
      if (consumed != set || consumed > text.size()) {
        std::fprintf(stderr, "tkf_measure_box says %zu bytes, tkf_draw_box %zu\n", consumed, set);
        std::abort();
      }
    }
  }
  // Pages of a size every glyph fits in, sized to the byte, so a texel past them is seen.
  const int pageCount = tkf_pages_needed(&game, 256, 32);
  if (pageCount < 0)
    return;
  std::vector<std::uint8_t> pages(static_cast<std::size_t>(pageCount) * 256 * 32 / 2);
  std::vector<tkf_rect> rects(2 * static_cast<std::size_t>(game.count));
  if (tkf_pages(&game, pages.data(), pages.size(), 256, 32, rects.data()) != pageCount)
    std::abort();
  // Grouped by page, the same glyphs as in text order: as many, on the same rects.
  for (const tkf_box& box : kBoxes) {
    tkf_iter inText, byPage;
    tkf_glyph a, b;
    long sum = 0, count = 0;
    tkf_iter_box(&inText, &game, &box, text.c_str(), text.size());
    tkf_iter_box(&byPage, &game, &box, text.c_str(), text.size());
    tkf_iter_by_page(&byPage, rects.data());
    while (tkf_iter_next(&inText, &a)) sum += a.rect, ++count;
    while (tkf_iter_next(&byPage, &b)) sum -= b.rect, --count;
    if (sum != 0 || count != 0 || byPage.consumed != inText.consumed)
      std::abort();
  }
}
