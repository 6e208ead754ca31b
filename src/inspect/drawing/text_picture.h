#pragma once

// Text set by the game runtime (runtime/typekiln_font.h), exactly as a game draws it, on a
// picture just large enough for it: what `--render` writes and what the preview's sample line
// shows.

#include <cstdint>
#include <optional>
#include <string>

#include "inspect/drawing/canvas.h"
#include "typekiln_font.h"

namespace typekiln {

/// The largest text picture drawn, in pixels: a few thousand glyphs at the largest size.
inline constexpr std::int64_t kMaxTextPixels = std::int64_t{1} << 25;

/// Colours as the runtime takes them, 0xRRGGBBAA.
inline constexpr std::uint32_t kRenderFace = 0xFFFFFFFF;
inline constexpr std::uint32_t kRenderShadow = 0x000000FF;

/// Draws `text` with `font` on an RGBA8888 surface that holds every pixel the text may cover
/// (shadows included) and `margin` pixels more on each side, filled with `background` first.
/// A vertical font draws on the turned surface, its text running up. The result keeps the
/// surface's alpha. Nothing when the picture would have more than kMaxTextPixels.
std::optional<Canvas> DrawText(const tkf_font& font, const std::string& text,
                               std::uint32_t background, int margin);

}  // namespace typekiln
