#include "inspect/drawing/overlay.h"

#include <algorithm>

#include "picture/picture_rows.h"
#include "text/ascii.h"

namespace typekiln {

namespace {

constexpr std::int64_t kDrawnSide = kMaxOverlaySide - 2 * kOverlayMargin;

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) { return a / b - (a % b < 0 ? 1 : 0); }

// The picture's alpha in cells of `shrink` x `shrink` pixels. Nothing when its file no longer
// holds them.
std::shared_ptr<DrawnAlpha> ReadDrawnAlpha(const Picture& picture) {
  auto alpha = std::make_shared<DrawnAlpha>();
  const std::int64_t side = std::max(picture.width, picture.height);
  alpha->shrink = std::max<std::int64_t>(1, (side + kDrawnSide - 1) / kDrawnSide);
  alpha->width = (picture.width + alpha->shrink - 1) / alpha->shrink;
  alpha->height = (picture.height + alpha->shrink - 1) / alpha->shrink;
  alpha->cells.assign(static_cast<std::size_t>(alpha->width * alpha->height), 0);
  const bool read = VisitRows(picture, [&](std::int64_t y, const std::uint8_t* row) {
    std::uint8_t* cells = &alpha->cells[static_cast<std::size_t>(y / alpha->shrink * alpha->width)];
    for (std::int64_t x = 0; x < picture.width; ++x) {
      std::uint8_t& cell = cells[x / alpha->shrink];
      cell = std::max(cell, row[x * kBytesPerPixel + kAlphaByte]);
    }
    return true;
  });
  if (!read)
    return std::make_shared<DrawnAlpha>();
  return alpha;
}

// Where picture pixel edges land on the canvas at `zoom`, for pictures drawn `shrink` to one.
struct Placement {
  std::int64_t zoom;
  std::int64_t shrink;
  // The canvas pixel that draws picture pixel `picture`.
  std::int64_t At(std::int64_t picture) const {
    return kOverlayMargin + FloorDiv(picture * zoom, shrink);
  }
  // The box on the canvas: every canvas pixel that draws one of its picture pixels.
  PictureBox Box(const PictureBox& box) const {
    const std::int64_t x = At(box.x);
    const std::int64_t y = At(box.y);
    return {x, y, box.width > 0 ? At(box.x + box.width - 1) + zoom - x : 0,
            box.height > 0 ? At(box.y + box.height - 1) + zoom - y : 0};
  }
};

// The outline one canvas pixel outside the box, so that it frames the ink and hides none.
void Frame(Canvas& canvas, const PictureBox& at, Colour colour) {
  canvas.Outline(at.x - 1, at.y - 1, at.width + 2, at.height + 2, colour);
}

}  // namespace

void OverlayRecorder::PictureLoaded(const ScriptLine& line, const Picture& picture) {
  const std::size_t before = findings().pictures.size();
  ScriptRecorder::PictureLoaded(line, picture);
  if (findings().pictures.size() == before)
    return;
  std::shared_ptr<const DrawnAlpha> alpha = ReadDrawnAlpha(picture);
  for (const auto& kept : alphas_) {
    if (kept->width == alpha->width && kept->height == alpha->height &&
        kept->shrink == alpha->shrink && kept->cells == alpha->cells) {
      alpha = kept;
      break;
    }
  }
  alphas_.push_back(std::move(alpha));
}

int OverlayZoom(const DrawnAlpha& alpha, int zoom) {
  const std::int64_t side = std::max<std::int64_t>({alpha.width, alpha.height, 1});
  return static_cast<int>(
      std::max<std::int64_t>(1, std::min<std::int64_t>(zoom, kDrawnSide / side)));
}

Canvas RenderOverlay(const CheckedPicture& picture, const DrawnAlpha& alpha, int zoom) {
  zoom = OverlayZoom(alpha, zoom);
  const Placement place{zoom, alpha.shrink};
  Canvas canvas(static_cast<int>(alpha.width * zoom + 2 * kOverlayMargin),
                static_cast<int>(alpha.height * zoom + 2 * kOverlayMargin), kOverlayBackground);
  // The joins go under the ink, so that they never hide a glyph.
  for (const GrabbedGlyph& face : picture.glyphs) {
    for (const GrabbedGlyph& shadow : picture.glyphs) {
      if (!face.shadow && shadow.shadow && face.index == shadow.index) {
        const PictureBox a = place.Box(face.ink);
        const PictureBox b = place.Box(shadow.ink);
        canvas.Line(a.x + a.width / 2, a.y + a.height / 2, b.x + b.width / 2, b.y + b.height / 2,
                    kJoin, kJoinWeight);
      }
    }
  }
  for (std::int64_t y = 0; y < alpha.height; ++y) {
    for (std::int64_t x = 0; x < alpha.width; ++x) {
      const std::uint8_t cell = alpha.cells[static_cast<std::size_t>(y * alpha.width + x)];
      if (cell > 0)
        canvas.Fill(kOverlayMargin + x * zoom, kOverlayMargin + y * zoom, zoom, zoom, kPictureInk,
                    cell);
    }
  }
  for (const PictureBox& band : picture.bands) Frame(canvas, place.Box(band), kBandOutline);
  for (const GrabbedGlyph& glyph : picture.glyphs) {
    const Colour colour = glyph.shadow ? kShadowBox : kFaceBox;
    const PictureBox at = place.Box(glyph.ink);
    Frame(canvas, at, colour);
    // Face numbers above their boxes, shadow numbers below, so that the two never collide.
    const std::int64_t labelY = glyph.shadow ? at.y + at.height + 2 : at.y - 2 - NumberHeight();
    canvas.Number(at.x, labelY, glyph.index, colour);
  }
  return canvas;
}

std::string OverlayPath(const std::string& out, int number) {
  if (number <= 1)
    return out;
  const bool png = out.size() >= 4 && EqualsIgnoringAsciiCase(out.substr(out.size() - 4), ".png");
  const std::size_t at = png ? out.size() - 4 : out.size();
  std::string path = out;
  path.insert(at, std::to_string(number));
  path.insert(at, 1, '-');
  return path;
}

}  // namespace typekiln
