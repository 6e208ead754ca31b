#include "inspect/drawing/font_preview.h"

#include <algorithm>
#include <optional>
#include <string>

#include "inspect/drawing/text_picture.h"

namespace typekiln {

namespace {

constexpr int kColumns = 16;
constexpr int kPadding = 3;
constexpr int kSampleLineWidth = 96;  // picture pixels before the sample wraps
constexpr int kMaxSampleLines = 8;
constexpr std::int64_t kMaxPreviewPixels = 1 << 25;

// The box, in picture pixels from the pen (the glyph's left edge at its band's top), that holds
// every entry's face and shadow.
struct Extent {
  int left = 0;
  int top = 0;
  int right = 1;
  int bottom = 1;
};

void Include(Extent& extent, int x, int y, int width, int height) {
  extent.left = std::min(extent.left, x);
  extent.top = std::min(extent.top, y);
  extent.right = std::max(extent.right, x + width);
  extent.bottom = std::max(extent.bottom, y + height);
}

Extent FontExtent(const FontFile& font) {
  Extent extent;
  for (const FontEntry& entry : font.entries) {
    Include(extent, 0, entry.face.top, DrawnWidth(font, entry.face), DrawnHeight(font, entry.face));
    if (entry.shadow.Present()) {
      Include(extent, ShadowDx(font, entry), ShadowDy(font, entry) + entry.shadow.top,
              DrawnWidth(font, entry.shadow), DrawnHeight(font, entry.shadow));
    }
  }
  return extent;
}

// Draws one bitmap with its top left corner at picture pixel (x, y) from the canvas point
// (originX, originY).
void DrawBitmap(Canvas& canvas, const FontFile& font, const FontBitmap& bitmap, int originX,
                int originY, int x, int y, int zoom, Colour ink) {
  for (int row = 0; row < DrawnHeight(font, bitmap); ++row) {
    for (int column = 0; column < DrawnWidth(font, bitmap); ++column) {
      const int sample = DrawnSample(font, bitmap, column, row);
      if (sample > 0) {
        canvas.Fill(originX + (x + column) * zoom, originY + (y + row) * zoom, zoom, zoom, ink,
                    std::min(sample, kMaxSample) * 255 / kMaxSample);
      }
    }
  }
}

void DrawShadow(Canvas& canvas, const FontFile& font, const FontEntry& entry, int originX,
                int originY, int zoom) {
  if (entry.shadow.Present()) {
    DrawBitmap(canvas, font, entry.shadow, originX, originY, ShadowDx(font, entry),
               ShadowDy(font, entry) + entry.shadow.top, zoom, kShadowInk);
  }
}

void DrawFace(Canvas& canvas, const FontFile& font, const FontEntry& entry, int originX,
              int originY, int zoom) {
  DrawBitmap(canvas, font, entry.face, originX, originY, 0, entry.face.top, zoom, kFaceInk);
}

// The codes of the entries up to the first 0: the script's CharSet as far as the font holds it.
std::string CharSetOf(const FontFile& font) {
  std::string text;
  for (const FontEntry& entry : font.entries) {
    if (entry.code == 0)
      break;
    text += static_cast<char>(entry.code);
  }
  return text;
}

// The codes set as the game sets them, with a new line wherever the next glyph would carry the
// line past kSampleLineWidth; at most kMaxSampleLines lines.
std::string SampleText(const tkf_font& game, const std::string& codes) {
  std::string text;
  std::string line;
  int lines = 1;
  for (char code : codes) {
    int width = 0;
    int height = 0;
    tkf_measure(&game, (line + code).c_str(), &width, &height);
    if (!line.empty() && width > kSampleLineWidth) {
      if (++lines > kMaxSampleLines)
        break;
      text += line + '\n';
      line.clear();
    }
    line += code;
  }
  return text + line;
}

// The sample line as the game runtime draws it on the preview's background, or nothing when the
// runtime refuses the font or the font has no codes.
std::optional<Canvas> DrawSample(const FontFile& font) {
  tkf_font game;
  const std::string codes = CharSetOf(font);
  if (codes.empty() || tkf_open(&game, font.bytes.data(), font.bytes.size()) != TKF_OK)
    return std::nullopt;
  const Colour back = kPreviewBackground;
  const std::uint32_t background = std::uint32_t{back.red} << 24 | std::uint32_t{back.green} << 16 |
                                   std::uint32_t{back.blue} << 8 | 0xFF;
  return DrawText(game, SampleText(game, codes), background, 0);
}

// Where everything goes at one zoom.
struct Geometry {
  int zoom;
  int labelScale;
  int labelHeight;
  int cellWidth;
  int cellHeight;
  int columns;
  int sampleTop;
  int width;
  int height;
};

Geometry Arrange(const Extent& extent, int count, const std::optional<Canvas>& sample, int zoom) {
  Geometry at{};
  at.zoom = zoom;
  at.labelScale = zoom >= 4 ? 2 : 1;
  at.labelHeight = NumberHeight(at.labelScale) + 2;
  const int innerWidth = std::max((extent.right - extent.left) * zoom,
                                  NumberWidth(std::max(count - 1, 0), at.labelScale));
  const int innerHeight = (extent.bottom - extent.top) * zoom;
  at.cellWidth = innerWidth + 2 * kPadding;
  at.cellHeight = at.labelHeight + innerHeight + 2 * kPadding;
  at.columns = std::max(1, std::min(kColumns, count));
  const int rows = (count + at.columns - 1) / at.columns;
  at.sampleTop = kPadding + rows * at.cellHeight + 2 * kPadding;
  const int sampleWidth = sample ? sample->width() : 0;
  const int sampleHeight = sample ? sample->height() : 0;
  at.width = std::max({kPadding * 2 + at.columns * at.cellWidth, (kSampleLineWidth + 16) * zoom,
                       kPadding * 2 + sampleWidth * zoom});
  at.height = at.sampleTop + sampleHeight * zoom + kPadding;
  return at;
}

}  // namespace

Canvas RenderPreview(const FontFile& font, int zoom) {
  const Extent extent = FontExtent(font);
  const int count = static_cast<int>(font.entries.size());
  const std::optional<Canvas> sample = DrawSample(font);
  // Glyphs as large as a font can describe would make a sheet of gigabytes at a high zoom.
  Geometry at = Arrange(extent, count, sample, zoom);
  while (at.zoom > 1 && std::int64_t{at.width} * at.height > kMaxPreviewPixels)
    at = Arrange(extent, count, sample, at.zoom - 1);
  zoom = at.zoom;
  Canvas canvas(at.width, at.height, kPreviewBackground);

  for (int i = 0; i < count; ++i) {
    const int cellX = kPadding + (i % at.columns) * at.cellWidth;
    const int cellY = kPadding + (i / at.columns) * at.cellHeight;
    canvas.Outline(cellX, cellY, at.cellWidth, at.cellHeight, kCellOutline);
    canvas.Number(cellX + kPadding, cellY + 2, i, kLabelColour, at.labelScale);
    const int originX = cellX + kPadding - extent.left * zoom;
    const int originY = cellY + at.labelHeight + kPadding - extent.top * zoom;
    const FontEntry& entry = font.entries[static_cast<std::size_t>(i)];
    DrawShadow(canvas, font, entry, originX, originY, zoom);
    DrawFace(canvas, font, entry, originX, originY, zoom);
  }
  for (int y = 0; sample && y < sample->height(); ++y) {
    for (int x = 0; x < sample->width(); ++x)
      canvas.Fill(kPadding + x * zoom, at.sampleTop + y * zoom, zoom, zoom, sample->At(x, y));
  }
  return canvas;
}

}  // namespace typekiln
