#include "import/sheet/font_sheet.h"

#include <algorithm>
#include <array>

#include "font/font_format.h"
#include "glyph/grabber.h"
#include "import/import_messages.h"
#include "import/sheet/char_list.h"
#include "report/console.h"
#include "text/utf8.h"

namespace typekiln {

namespace {

constexpr std::uint8_t kWhite = 255;
constexpr int kCoverageToAlpha = 17;

// Where a glyph's non-zero samples lie, in its bitmap and from the pen.
struct PlacedGlyph {
  const ImportedGlyph* glyph = nullptr;
  bool hasInk = false;
  int inkLeft = 0, inkRight = 0;  // columns from the pen, the right one past the ink
  int inkTop = 0;                 // rows from the top ink row up to the baseline
  int inkHeight = 0;
  int firstInkRow = 0;              // in the bitmap
  int cellLeft = 0, cellWidth = 0;  // the cell, in columns from the pen
};

PlacedGlyph Place(const ImportedGlyph& glyph) {
  PlacedGlyph placed;
  placed.glyph = &glyph;
  int left = glyph.width, right = 0, top = glyph.height, bottom = 0;
  for (int row = 0; row < glyph.height; ++row)
    for (int column = 0; column < glyph.width; ++column)
      if (glyph.samples[static_cast<std::size_t>(row) * glyph.width + column] != 0) {
        left = std::min(left, column), right = std::max(right, column + 1);
        top = std::min(top, row), bottom = std::max(bottom, row + 1);
      }
  placed.hasInk = right > left;
  if (placed.hasInk) {
    placed.inkLeft = glyph.left + left;
    placed.inkRight = glyph.left + right;
    placed.inkTop = glyph.top - top;
    placed.inkHeight = bottom - top;
    placed.firstInkRow = top;
    placed.cellLeft = std::min(0, placed.inkLeft);
    placed.cellWidth = std::max(glyph.advance, placed.inkRight) - placed.cellLeft;
  } else {
    placed.cellWidth = std::max(glyph.advance, 1);
  }
  return placed;
}

bool LeavesAdvanceBox(const PlacedGlyph& placed) {
  return placed.hasInk ? placed.inkLeft < 0 || placed.inkRight > placed.glyph->advance
                       : placed.glyph->advance < 1;
}

// How far the shadows reach past the faces on each side.
struct Margins {
  int left = 0, right = 0, up = 0, down = 0;
};

// Only an outline has a picture of its own: a drop shadow is the font's Drop.
Margins ShadowMargins(const SheetOptions& options) {
  return options.shadow == ShadowStyle::Outline ? Margins{1, 1, 1, 1} : Margins{};
}

std::array<std::uint8_t, 4> Ink(std::uint8_t sample) {
  return {kWhite, kWhite, kWhite, static_cast<std::uint8_t>(sample * kCoverageToAlpha)};
}

// Draws the face of one glyph into its cell, `cellX` being the cell's left column and `baseline`
// the picture row of the baseline. False when a pixel would fall outside the picture.
bool DrawFace(const PlacedGlyph& placed, int cellX, int baseline, RgbaPicture& faces) {
  const ImportedGlyph& glyph = *placed.glyph;
  const int bitmapX = cellX + glyph.left - placed.cellLeft;
  const int bitmapY = baseline - glyph.top;
  bool inside = true;
  std::vector<bool> inked(static_cast<std::size_t>(placed.cellWidth), false);
  for (int row = 0; row < glyph.height; ++row)
    for (int column = 0; column < glyph.width; ++column) {
      const std::uint8_t sample =
          glyph.samples[static_cast<std::size_t>(row) * glyph.width + column];
      if (sample == 0)
        continue;
      inside = faces.Set(bitmapX + column, bitmapY + row, Ink(sample)) && inside;
      inked[static_cast<std::size_t>(bitmapX + column - cellX)] = true;
    }
  // The advance marks sit on the top ink row (a glyph without ink: the row above the baseline),
  // so that they widen the glyph's box but never heighten it.
  const int invisibleRow = placed.hasInk ? bitmapY + placed.firstInkRow : baseline - 1;
  for (int column = 0; column < placed.cellWidth; ++column)
    if (!inked[static_cast<std::size_t>(column)])
      inside = faces.Set(cellX + column, invisibleRow, kAdvanceMark) && inside;
  return inside;
}

// The drop shadow: every pixel of the faces moved by the drop. False when one would fall outside
// the picture.
bool DropShadows(const RgbaPicture& faces, int dropX, int dropY, RgbaPicture& shadows) {
  bool inside = true;
  for (int y = 0; y < faces.height; ++y)
    for (int x = 0; x < faces.width; ++x)
      if (const std::uint8_t* pixel = faces.At(x, y); IsInk(pixel))
        inside =
            shadows.Set(x + dropX, y + dropY, std::span<const std::uint8_t, 4>(pixel, 4)) && inside;
  return inside;
}

// The outline: each pixel the strongest of the faces' 3 x 3 pixels around it, and set (at
// least as an advance mark) wherever one of them is.
void OutlineShadows(const RgbaPicture& faces, RgbaPicture& shadows) {
  for (int y = 0; y < faces.height; ++y)
    for (int x = 0; x < faces.width; ++x) {
      bool set = false;
      std::uint8_t alpha = 0;
      for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
          if (const std::uint8_t* pixel = faces.At(x + dx, y + dy); pixel != nullptr) {
            set = set || IsInk(pixel);
            alpha = std::max(alpha, pixel[3]);
          }
      if (set)
        shadows.Set(x, y,
                    std::array<std::uint8_t, 4>{kWhite, kWhite, kWhite,
                                                std::max(alpha, kAdvanceMark[kAlphaByte])});
    }
}

// The Space of a font without U+0020: the middle of its advances.
int MiddleAdvance(const std::vector<PlacedGlyph>& placed) {
  std::vector<int> advances;
  for (const PlacedGlyph& glyph : placed) advances.push_back(glyph.glyph->advance);
  std::nth_element(advances.begin(), advances.begin() + advances.size() / 2, advances.end());
  return std::max(advances[advances.size() / 2], 0);
}

// True when a code is past ASCII: the script is then written in UTF-8, which an editor keeps.
bool HasLatin1Codes(const ImportedFont& font) {
  return std::any_of(font.glyphs.begin(), font.glyphs.end(),
                     [](const ImportedGlyph& glyph) { return glyph.code >= 0x80; });
}

// The CharSet, in UTF-8 past ASCII. A UTF-8 line's end is trimmed of U+00A0 as of a blank, so
// a no-break space that ends the CharSet is kept by a comment after it.
std::string CharSetLine(const ImportedFont& font) {
  std::string line = kCharSetCommand;
  for (const ImportedGlyph& glyph : font.glyphs) AppendUtf8(glyph.code, line);
  if (CharSetLimit(font.glyphs.back().code) < kMaxCharSetCodes)
    line += kCharSetKept;
  return line + "\n";
}

std::string GrabLines(int bands, int count, int firstRow, int pitch) {
  std::string lines;
  for (int band = 0; band < bands; ++band)
    lines += Format("Grab 0,%d,%d\n", firstRow + band * pitch,
                    std::min(kGlyphsPerBand, count - band * kGlyphsPerBand));
  return lines;
}

}  // namespace

bool DrawShadows(const RgbaPicture& faces, const SheetOptions& options, RgbaPicture& shadows) {
  shadows = RgbaPicture(faces.width, faces.height);
  switch (options.shadow) {
    case ShadowStyle::Outline:
      OutlineShadows(faces, shadows);
      return true;
    case ShadowStyle::Drop:
      return DropShadows(faces, options.dropX, options.dropY, shadows);
    case ShadowStyle::None:
      break;
  }
  return true;
}

Failure DrawSheet(const ImportedFont& font, const std::string& path, const SheetOptions& options,
                  const std::string& comment, Sheet& sheet) {
  const char* file = path.c_str();
  const char* advice = SmallerGlyphs(font.kind);
  sheet = {};
  if (font.glyphs.empty())
    return Failure::Because(msg::kImportNoGlyphs, file);
  const Margins margins = ShadowMargins(options);
  const bool drop = options.shadow == ShadowStyle::Drop;
  const int grow = options.shadow == ShadowStyle::Outline ? 2 : 0;
  std::vector<PlacedGlyph> placed;
  // The rows the band must hold above and below the baseline: each glyph's ink, and for a glyph
  // without ink its invisible pixels on the row above the baseline.
  int ascent = 0, descent = 0;
  bool anyInk = false;
  for (const ImportedGlyph& glyph : font.glyphs) {
    placed.push_back(Place(glyph));
    const PlacedGlyph& last = placed.back();
    if (last.cellWidth + grow > kMaxByteField)
      return Failure::Because(msg::kImportCellTooWide, DescribeCharacter(glyph.code).c_str(), file,
                              last.cellWidth + grow, kMaxByteField, advice);
    if (LeavesAdvanceBox(last))
      sheet.outsideAdvance.push_back(glyph.code);
    const int above = last.hasInk ? last.inkTop : 1;
    const int below = last.hasInk ? last.inkHeight - last.inkTop : 0;
    ascent = placed.size() == 1 ? above : std::max(ascent, above);
    descent = placed.size() == 1 ? below : std::max(descent, below);
    anyInk = anyInk || last.hasInk;
  }
  if (!anyInk)
    return Failure::Because(msg::kImportNoInk, file);
  // Every glyph's top and height, shadows included, must fit the font's one-byte fields.
  const int lineHeight = ascent + descent;
  const int maxHeight = margins.up + lineHeight + margins.down;
  if (maxHeight > kMaxByteField)
    return Failure::Because(msg::kImportBandTooTall, file, maxHeight, kMaxByteField, advice);
  sheet.space = font.spaceAdvance ? *font.spaceAdvance : MiddleAdvance(placed);
  sheet.spaceGuessed = !font.spaceAdvance;
  if (sheet.space < 0 || sheet.space > kMaxSpace)
    return Failure::Because(msg::kImportSpaceTooWide, file, sheet.space, kMaxSpace, advice);

  const int count = static_cast<int>(placed.size());
  const int bands = (count + kGlyphsPerBand - 1) / kGlyphsPerBand;
  const int cellSpacing = kCellSpacing + grow;
  const int pitch = maxHeight + kBandSpacing;
  int width = 1;
  for (int band = 0; band < bands; ++band) {
    int x = margins.left;
    for (int i = band * kGlyphsPerBand; i < std::min(count, (band + 1) * kGlyphsPerBand); ++i)
      x += placed[static_cast<std::size_t>(i)].cellWidth + cellSpacing;
    width = std::max(width, x - cellSpacing + margins.right);
  }
  sheet.faces = RgbaPicture(width, bands * pitch - kBandSpacing);
  bool inside = true;
  for (int band = 0; band < bands; ++band) {
    const int baseline = band * pitch + margins.up + ascent;
    int x = margins.left;
    for (int i = band * kGlyphsPerBand; i < std::min(count, (band + 1) * kGlyphsPerBand); ++i) {
      inside = DrawFace(placed[static_cast<std::size_t>(i)], x, baseline, sheet.faces) && inside;
      x += placed[static_cast<std::size_t>(i)].cellWidth + cellSpacing;
    }
  }
  if (options.shadow == ShadowStyle::Outline)
    inside = DrawShadows(sheet.faces, options, sheet.shadows) && inside;
  if (!inside)
    return Failure::Because(msg::kImportOutsideSheet, file);

  // The faces are grabbed from the line's top, the outline from the row above it.
  sheet.script = comment;
  if (HasLatin1Codes(font))
    sheet.script += kEncodingUtf8Line;
  sheet.script += Format("MaxHeight %d\nGap 0\nSpace %d\nDrop %d,%d\n", maxHeight, sheet.space,
                         drop ? options.dropX : 0, drop ? options.dropY : 0);
  sheet.script += CharSetLine(font);
  sheet.script += Format("LoadTGA %s\n[Font]\n", kFacesFile);
  sheet.script += GrabLines(bands, count, margins.up, pitch);
  if (options.shadow == ShadowStyle::Outline) {
    sheet.script += Format("LoadTGA %s\n[Shadow]\n", kShadowsFile);
    sheet.script += GrabLines(bands, count, 0, pitch);
  }
  return {};
}

}  // namespace typekiln
