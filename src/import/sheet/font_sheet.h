#pragma once

// The sheet typekiln-import draws from a font, as an artist would have drawn it: the faces in
// one picture, for an outline the shadows at the same places in a second, and the script that
// grabs them. A drop shadow needs no picture: the script's Drop has the game draw each face
// again, moved, as its shadow.
//
// Each character gets a cell as wide as its advance (or as the box that holds both its advance
// and its ink, when the ink sticks out). Its ink lies on a common baseline, in white with the
// coverage in alpha (17 x sample); every column of the cell that has no ink holds an advance
// mark (kAdvanceMark, white of alpha 1) on the glyph's top ink row: it shows nothing, but it is
// ink to the grabber, so that the glyph is grabbed as wide as its advance and `Gap 0` spaces the
// text as the font does. Cells are 2 empty columns apart (4 with an outline, which grows each
// shadow by one pixel), at most 16 to a band; bands are 2 empty rows apart, and also leave room
// for the outline.

#include <cstdint>
#include <string>
#include <vector>

#include "import/imported_font.h"
#include "import/sheet/tga_encoder.h"
#include "report/failure.h"

namespace typekiln {

inline constexpr char kFacesFile[] = "faces.tga";
inline constexpr char kShadowsFile[] = "shadows.tga";
inline constexpr char kScriptFile[] = "font.tks";
/// The line that makes the rest of a script UTF-8, written when a code is past ASCII.
inline constexpr char kEncodingUtf8Line[] = "Encoding UTF-8\n";
inline constexpr int kGlyphsPerBand = 16;
inline constexpr int kCellSpacing = 2;
inline constexpr int kBandSpacing = 2;

enum class ShadowStyle { Drop, Outline, None };

struct SheetOptions {
  ShadowStyle shadow = ShadowStyle::Drop;
  int dropX = 1;  // --shadow drop: the shadow's place from its face, right and down
  int dropY = 1;
};

struct Sheet {
  RgbaPicture faces;
  RgbaPicture shadows;  // only for ShadowStyle::Outline
  std::string script;
  int space = 0;                             // the script's Space
  bool spaceGuessed = false;                 // the font has no U+0020: Space is its middle advance
  std::vector<std::uint8_t> outsideAdvance;  // characters whose ink leaves their advance box
};

/// The most pixels a sheet may have whose shadows are drawn again: more than any sheet this tool
/// draws (8 bands of 16 cells of 255 x 255 at the most), and 64 MiB of pixels.
inline constexpr std::int64_t kMaxSheetPixels = std::int64_t{1} << 24;

/// The widest advance a font's Space can carry: the game reads it as a signed byte.
inline constexpr int kMaxSpace = 127;

/// Draws the shadow picture of `faces` as `options` say: the faces grown by a pixel all round for
/// an outline; for a drop, the faces moved by the drop, as the sheets imported before the drop was
/// left to the font held it; nothing for none. False when a pixel would fall outside.
bool DrawShadows(const RgbaPicture& faces, const SheetOptions& options, RgbaPicture& shadows);

/// Lays out the glyphs of `font`, read from the file at `path`, and draws both pictures and the
/// script, which starts with `comment` (whole lines, each starting with "#"). The band holds
/// every glyph and every invisible pixel, wherever it lies against the baseline. It fails, naming
/// the font by `path`, when the font has no glyph or no ink, a cell or the band would be larger
/// than a font can describe, the space is too wide, or a pixel would fall outside the pictures
/// (the layout is wrong, and nothing is drawn).
Failure DrawSheet(const ImportedFont& font, const std::string& path, const SheetOptions& options,
                  const std::string& comment, Sheet& sheet);

}  // namespace typekiln
