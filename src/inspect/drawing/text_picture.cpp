#include "inspect/drawing/text_picture.h"

#include <algorithm>
#include <vector>

namespace typekiln {

std::optional<Canvas> DrawText(const tkf_font& font, const std::string& text,
                               std::uint32_t background, int margin) {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  tkf_bounds(&font, text.c_str(), &left, &top, &width, &height);
  // The upright picture; a vertical font's surface is it turned, wide where it is high.
  const std::int64_t across = std::max<std::int64_t>(std::int64_t{width} + 2 * margin, 1);
  const std::int64_t down = std::max<std::int64_t>(std::int64_t{height} + 2 * margin, 1);
  // The pen starts where the box's corner lands `margin` inside the picture.
  const std::int64_t x = std::int64_t{margin} - left;
  const std::int64_t y = std::int64_t{margin} - top;
  if (across * down > kMaxTextPixels || x != static_cast<int>(x) || y != static_cast<int>(y))
    return std::nullopt;
  const int surfaceWidth = static_cast<int>(font.vertical ? down : across);
  const int surfaceHeight = static_cast<int>(font.vertical ? across : down);
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(across * down), background);
  tkf_surface surface{pixels.data(), surfaceWidth, surfaceHeight,
                      surfaceWidth * static_cast<int>(sizeof(std::uint32_t)), TKF_RGBA8888};
  tkf_draw(&font, &surface, static_cast<int>(x), static_cast<int>(y), text.c_str(), kRenderFace,
           kRenderShadow);

  Canvas canvas(surfaceWidth, surfaceHeight, Colour{});
  std::vector<std::uint8_t>& rgba = canvas.rgba();
  for (std::size_t i = 0; i < pixels.size(); ++i) {
    for (int byte = 0; byte < 4; ++byte)
      rgba[4 * i + static_cast<std::size_t>(byte)] =
          static_cast<std::uint8_t>(pixels[i] >> (24 - 8 * byte));
  }
  return canvas;
}

}  // namespace typekiln
