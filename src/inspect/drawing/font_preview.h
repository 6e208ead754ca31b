#pragma once

// The contact sheet of a font: one outlined, numbered cell per table entry, each glyph upright
// with its shadow (dark) under its face (light), and under the cells a sample of the font's
// character codes set with its own glyphs by the game runtime, as a game sets them.

#include "inspect/font_file/font_reader.h"
#include "inspect/drawing/canvas.h"

namespace typekiln {

/// Zoom the preview uses unless told otherwise: an 8-pixel glyph becomes 32 pixels.
inline constexpr int kDefaultZoom = 4;
inline constexpr int kMaxZoom = 32;

inline constexpr Colour kPreviewBackground{64, 72, 88};
inline constexpr Colour kFaceInk{255, 255, 255};
inline constexpr Colour kShadowInk{0, 0, 0};
inline constexpr Colour kCellOutline{128, 138, 160};
inline constexpr Colour kLabelColour{255, 208, 64};

/// Draws the preview; every picture pixel becomes `zoom` x `zoom` canvas pixels. A glyph's
/// samples map from transparent (0) to full ink (15).
Canvas RenderPreview(const FontFile& font, int zoom);

}  // namespace typekiln
