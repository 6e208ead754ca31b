// Arbitrary bytes as a font for the game runtime. tkf_open must accept exactly the fonts in which
// the font reader finds nothing that would make a game read outside the file or draw garbage;
// whatever opens is measured and set, with every byte value in the text, on surfaces of both
// formats at pen positions that clip on every side, so the sanitizers see any step outside the
// font or the surface.

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "inspect/font_file/font_reader.h"
#include "fuzz_support.h"
#include "typekiln_font.h"

namespace {

// Every byte value but the terminator, a new line among them.
std::string EveryByte() {
  std::string text;
  for (int code = 1; code < 256; ++code) text += static_cast<char>(code);
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace typekiln;
  if (size > fuzz::kMaxInput)
    return 0;
  const FontFile font = ReadFont({data, size});
  tkf_font game;
  const int error = tkf_open(&game, data, size);
  if ((error == TKF_OK) != font.drawable) {
    std::fprintf(stderr, "tkf_open says \"%s\", the reader finds %s\n", tkf_error(error),
                 font.problems.empty() ? "nothing wrong" : font.problems.front().c_str());
    std::abort();
  }
  if (error != TKF_OK)
    return 0;
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
                            {narrow.data(), kWidth, kHeight, kWidth * 2, TKF_RGBA5551}};
  constexpr int kPens[][2] = {{0, 0}, {-300, -300}, {20, 11}, {-40, 15}, {30, -260}};
  for (tkf_surface& surface : surfaces) {
    for (const auto& pen : kPens)
      tkf_draw(&game, &surface, pen[0], pen[1], text.c_str(), 0xFFFFFFFF, 0x000000FF);
  }
  return 0;
}
