#pragma once

// The overlay of a script: its run, recorded by an OverlayRecorder through CheckScript, and each
// picture drawn dimmed with every band of every Grab outlined and every grabbed glyph's ink box
// drawn on it, labelled with its index, each shadow joined to its face. The run's notes come
// with it.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "inspect/drawing/canvas.h"
#include "inspect/script_check/run_findings.h"
#include "inspect/script_check/script_recorder.h"
#include "report/console.h"

namespace typekiln {

/// A picture's alpha as the overlay draws it: one cell for each `shrink` x `shrink` picture
/// pixels, holding the largest alpha among them, so that faint marks stay in sight. `shrink` is
/// 1 unless the picture is too large to draw whole within kMaxOverlaySide.
struct DrawnAlpha {
  std::int64_t shrink = 1;
  std::int64_t width = 0;
  std::int64_t height = 0;
  std::vector<std::uint8_t> cells;  ///< row by row from the top
};

/// A ScriptRecorder that also keeps each picture's alpha as it will be drawn. A picture loaded
/// again, unchanged, shares the alpha kept the first time.
class OverlayRecorder : public ScriptRecorder {
 public:
  void PictureLoaded(const ScriptLine& line, const Picture& picture) override;

  /// One for each of the record's pictures; empty cells when the picture could not be read
  /// again.
  const std::vector<std::shared_ptr<const DrawnAlpha>>& alphas() const { return alphas_; }

 private:
  std::vector<std::shared_ptr<const DrawnAlpha>> alphas_;
};

inline constexpr int kOverlayZoom = 3;
/// Canvas pixels around the picture, so that outlines and labels at its edges show: picture
/// pixel (x, y) is drawn from canvas pixel (margin + x * zoom, margin + y * zoom).
inline constexpr int kOverlayMargin = 8;
/// No side of an overlay is longer: a large picture gets a smaller zoom, and past zoom 1 each
/// canvas pixel stands for several picture pixels.
inline constexpr int kMaxOverlaySide = 8192;

inline constexpr Colour kOverlayBackground{24, 24, 32};
inline constexpr Colour kPictureInk{140, 140, 150};
inline constexpr Colour kBandOutline{64, 128, 255};
inline constexpr Colour kFaceBox{0, 230, 120};
inline constexpr Colour kShadowBox{255, 80, 200};
inline constexpr Colour kJoin{255, 200, 0};
/// Joins are drawn see-through: a page of shadows far below their faces is a page of lines.
inline constexpr int kJoinWeight = 72;

/// The zoom that RenderOverlay uses for the alpha when asked for `zoom`.
int OverlayZoom(const DrawnAlpha& alpha, int zoom);

/// Draws the picture: its alpha as dimmed ink, bands outlined, each glyph's box one pixel
/// outside its ink (face and shadow in their own colours), labelled with its index, and a line
/// from the middle of each face's box to the middle of its shadow's on the same picture. What
/// lies outside the picture is clipped, however far out.
Canvas RenderOverlay(const CheckedPicture& picture, const DrawnAlpha& alpha, int zoom);

/// Where the overlay of picture `number` (from 1) goes: `out` for the first, then `out` with
/// "-2", "-3" and so on before its ".png" ending.
std::string OverlayPath(const std::string& out, int number);

}  // namespace typekiln
