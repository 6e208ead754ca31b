#pragma once

// What every font reader of typekiln-import hands on: the characters asked for, each as the
// samples typekiln stores (0 to 15) and where they lie from the pen on the baseline, as FreeType
// describes a glyph. The sheet is drawn from this alone, whatever the font's form was.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "import/import_messages.h"
#include "report/console.h"

namespace typekiln {

struct ImportedGlyph {
  std::uint8_t code = 0;  // the character, as its Latin-1 code
  int width = 0;          // the coverage bitmap's size; 0 x 0 for a glyph with no ink
  int height = 0;
  int left = 0;     // columns from the pen to the bitmap's left edge; negative left of the pen
  int top = 0;      // rows from the bitmap's top row up to the baseline; larger is higher
  int advance = 0;  // how far the pen moves after it, in whole pixels
  std::vector<std::uint8_t> samples;  // width x height, row by row, each 0 to 15
};

/// What the font was, which says how to ask it for smaller glyphs.
enum class FontKind { Scalable, Bitmap, BmFont };

/// What makes the glyphs of such a font smaller, as a failure advises it.
inline const char* SmallerGlyphs(FontKind kind) {
  switch (kind) {
    case FontKind::Bitmap:
      return msg::kImportAdviseStrike;
    case FontKind::BmFont:
      return msg::kImportAdviseBmFont;
    case FontKind::Scalable:
      break;
  }
  return msg::kImportAdviseSize;
}

/// A character as the messages name it: 'A', 'é' (U+00E9) beyond ASCII, or U+0085 for one
/// that does not show.
inline std::string DescribeCharacter(char32_t character) {
  const auto number = static_cast<unsigned>(character);
  if (character > 0x20 && character < 0x7F)
    return Format("'%c'", static_cast<char>(character));
  if (character < 0xA1 || character > 0xFF)
    return Format("U+%04X", number);
  const char utf8[] = {static_cast<char>(0xC0 | (number >> 6)),
                       static_cast<char>(0x80 | (number & 0x3F)), '\0'};
  return Format("'%s' (U+%04X)", utf8, number);
}

struct ImportedFont {
  FontKind kind = FontKind::Scalable;
  std::string description;            // the font and size, for the script's comment
  std::vector<ImportedGlyph> glyphs;  // in the order the characters were asked for
  std::vector<std::uint8_t> missing;  // the characters asked for that the font lacks
  std::vector<std::string> files;     // the files read besides the font itself (BMFont pages)
  std::optional<int> spaceAdvance;    // the advance of U+0020, when the font has one
  int kerningPairs = 0;  // kerning pairs the font has, which a typekiln font cannot carry;
                         // -1 for kerning FreeType does not count
};

/// The sample typekiln stores for an 8-bit coverage v: the nearest of 16 steps, in integers, so
/// that a picture's alpha of 17 x sample gives the sample back.
constexpr std::uint8_t QuantiseCoverage(unsigned v) {
  return static_cast<std::uint8_t>((v * 15 + 127) / 255);
}

}  // namespace typekiln
