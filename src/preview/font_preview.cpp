#include "preview/font_preview.h"

#include <algorithm>
#include <string>

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
                    std::min(sample, 15) * 255 / 15);
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

const FontEntry* EntryFor(const FontFile& font, char code) {
  for (const FontEntry& entry : font.entries) {
    if (entry.code == static_cast<std::uint8_t>(code))
      return &entry;
  }
  return nullptr;
}

struct PlacedGlyph {
  const FontEntry* entry;
  int x;
  int line;
};

// Sets the text with the font's own advances: each glyph's width plus the gap, `space` for a
// space (and for a code the font has no glyph for); wraps at kSampleLineWidth.
std::vector<PlacedGlyph> SetSample(const FontFile& font, const std::string& text, int& lines) {
  const int gap = static_cast<std::int8_t>(font.header.gap);
  const int space = static_cast<std::int8_t>(font.header.space);
  std::vector<PlacedGlyph> placed;
  int pen = 0;
  lines = text.empty() ? 0 : 1;
  for (char code : text) {
    const FontEntry* entry = code == ' ' ? nullptr : EntryFor(font, code);
    const int advance = entry != nullptr ? DrawnWidth(font, entry->face) + gap : space;
    if (pen > 0 && pen + advance > kSampleLineWidth) {
      pen = 0;
      ++lines;
    }
    if (entry != nullptr)
      placed.push_back({entry, pen, lines - 1});
    pen += std::max(advance, 0);
  }
  return placed;
}

// Where everything goes at one zoom.
struct Geometry {
  int zoom;
  int labelScale;
  int labelHeight;
  int cellWidth;
  int cellHeight;
  int columns;
  int lineHeight;
  int sampleTop;
  int width;
  int height;
};

Geometry Arrange(const Extent& extent, int count, int sampleLines, int zoom) {
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
  at.lineHeight = innerHeight + kPadding;
  at.sampleTop = kPadding + rows * at.cellHeight + 2 * kPadding;
  at.width = std::max(kPadding * 2 + at.columns * at.cellWidth, (kSampleLineWidth + 16) * zoom);
  at.height = at.sampleTop + sampleLines * at.lineHeight + kPadding;
  return at;
}

}  // namespace

Canvas RenderPreview(const FontFile& font, int zoom) {
  const Extent extent = FontExtent(font);
  const int count = static_cast<int>(font.entries.size());
  int sampleLines = 0;
  std::vector<PlacedGlyph> sample = SetSample(font, CharSetOf(font), sampleLines);
  if (sampleLines > kMaxSampleLines) {
    sampleLines = kMaxSampleLines;
    std::erase_if(sample, [](const PlacedGlyph& glyph) { return glyph.line >= kMaxSampleLines; });
  }
  // Glyphs as large as a font can describe would make a sheet of gigabytes at a high zoom.
  Geometry at = Arrange(extent, count, sampleLines, zoom);
  while (at.zoom > 1 && std::int64_t{at.width} * at.height > kMaxPreviewPixels)
    at = Arrange(extent, count, sampleLines, at.zoom - 1);
  zoom = at.zoom;
  Canvas canvas(at.width, at.height, kPreviewBackground);
  const int columns = at.columns;
  const int cellWidth = at.cellWidth;
  const int cellHeight = at.cellHeight;
  const int labelHeight = at.labelHeight;
  const int lineHeight = at.lineHeight;
  const int sampleTop = at.sampleTop;

  for (int i = 0; i < count; ++i) {
    const int cellX = kPadding + (i % columns) * cellWidth;
    const int cellY = kPadding + (i / columns) * cellHeight;
    canvas.Outline(cellX, cellY, cellWidth, cellHeight, kCellOutline);
    canvas.Number(cellX + kPadding, cellY + 2, i, kLabelColour, at.labelScale);
    const int originX = cellX + kPadding - extent.left * zoom;
    const int originY = cellY + labelHeight + kPadding - extent.top * zoom;
    const FontEntry& entry = font.entries[static_cast<std::size_t>(i)];
    DrawShadow(canvas, font, entry, originX, originY, zoom);
    DrawFace(canvas, font, entry, originX, originY, zoom);
  }
  // Shadows first, so that no glyph's shadow falls over its neighbour's face.
  for (auto draw : {DrawShadow, DrawFace}) {
    for (const PlacedGlyph& glyph : sample) {
      draw(canvas, font, *glyph.entry, kPadding + (glyph.x - extent.left) * zoom,
           sampleTop + glyph.line * lineHeight - extent.top * zoom, zoom);
    }
  }
  return canvas;
}

}  // namespace typekiln
