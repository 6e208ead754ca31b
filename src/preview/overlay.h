#pragma once

// The overlay of a script: its run, recorded picture by picture, and each picture drawn dimmed
// with every band of every Grab outlined and every grabbed glyph's ink box drawn on it,
// labelled with its index, each shadow joined to its face. The run also collects notes on things
// in the pictures and the script that typekiln accepts but that are probably not what the artist
// meant.

#include <cstdint>
#include <string>
#include <vector>

#include "main/console.h"
#include "preview/canvas.h"

namespace typekiln {

/// A rectangle of picture pixels.
struct PictureBox {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};

struct OverlayGlyph {
  bool shadow = false;  ///< from the shadow set, else the face set
  int index = 0;        ///< its slot in the set
  PictureBox ink;       ///< its ink box
};

/// A picture that a LoadTGA of the script loaded, with what the Grab lines after it found there.
struct OverlayPicture {
  std::string path;
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> alpha;  ///< width x height alpha bytes, row 0 at the top
  std::vector<PictureBox> bands;
  std::vector<OverlayGlyph> glyphs;
};

struct OverlayRun {
  std::vector<OverlayPicture> pictures;
  std::vector<std::string> notes;
  bool sawError = false;
};

/// Runs the script at `path` with the tool's own reader and commands on a fresh build state,
/// recording every picture loaded and every glyph grabbed; no font is written. Messages are
/// printed on `console` as typekiln prints them, but never wait for a key.
OverlayRun RunOverlay(Console& console, const std::string& path);

inline constexpr int kOverlayZoom = 3;
/// Canvas pixels around the picture, so that outlines and labels at its edges show: picture
/// pixel (x, y) is drawn from canvas pixel (margin + x * zoom, margin + y * zoom).
inline constexpr int kOverlayMargin = 8;
/// A canvas side the overlay keeps to by lowering the zoom (never below 1).
inline constexpr int kMaxOverlaySide = 8192;

inline constexpr Colour kOverlayBackground{24, 24, 32};
inline constexpr Colour kPictureInk{140, 140, 150};
inline constexpr Colour kBandOutline{64, 128, 255};
inline constexpr Colour kFaceBox{0, 230, 120};
inline constexpr Colour kShadowBox{255, 80, 200};
inline constexpr Colour kJoin{255, 200, 0};
/// Joins are drawn see-through: a page of shadows far below their faces is a page of lines.
inline constexpr int kJoinWeight = 72;

/// The zoom that RenderOverlay uses for the picture when asked for `zoom`.
int OverlayZoom(const OverlayPicture& picture, int zoom);

/// Draws the picture: its alpha as dimmed ink, bands outlined, each glyph's box one pixel
/// outside its ink (face and shadow in their own colours), labelled with its index, and a line
/// from the middle of each face's box to the middle of its shadow's on the same picture.
Canvas RenderOverlay(const OverlayPicture& picture, int zoom);

/// Where the overlay of picture `number` (from 1) goes: `out` for the first, then `out` with
/// "-2", "-3" and so on before its ".png" ending.
std::string OverlayPath(const std::string& out, int number);

}  // namespace typekiln
