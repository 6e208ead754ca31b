#include <gtest/gtest.h>

#include "import/sheet/char_list.h"
#include "import/sheet/font_sheet.h"
#include "import/sheet/tga_encoder.h"

namespace typekiln {
namespace {

// The picture as rows of characters: '.' clear, 'o' an advance mark (white, alpha 1), and a
// hexadecimal digit s for white ink of alpha 17 x s; '?' for anything else.
std::string Draw(const RgbaPicture& picture) {
  std::string text;
  for (int y = 0; y < picture.height; ++y) {
    text += y > 0 ? "|" : "";
    for (int x = 0; x < picture.width; ++x) {
      const std::uint8_t* p = picture.At(x, y);
      const bool white = p[0] == 255 && p[1] == 255 && p[2] == 255;
      if (p[0] == 0 && p[1] == 0 && p[2] == 0 && p[3] == 0)
        text += '.';
      else if (white && p[3] == 1)
        text += 'o';
      else if (white && p[3] % 17 == 0)
        text += "0123456789ABCDEF"[p[3] / 17];
      else
        text += '?';
    }
  }
  return text;
}

// 'A' two samples wide, one right of the pen, with its top two rows above the baseline and an
// advance of 4; 'B' one sample on the row below the baseline, advancing 2.
ImportedFont TwoGlyphs() {
  ImportedFont font;
  font.glyphs.push_back({'A', 2, 2, 1, 2, 4, {15, 8, 0, 15}});
  font.glyphs.push_back({'B', 1, 1, 0, 0, 2, {15}});
  font.spaceAdvance = 3;
  return font;
}

Sheet Drawn(const ImportedFont& font, const SheetOptions& options) {
  Sheet sheet;
  EXPECT_EQ(DrawSheet(font, "font", options, "# made here\n", sheet).message(), "");
  return sheet;
}

TEST(FontSheet, EachCellIsItsAdvanceWideOnOneBaseline) {
  const Sheet sheet = Drawn(TwoGlyphs(), {ShadowStyle::None, 0, 0});
  // The cells are 4 and 2 wide, 2 apart; the advance marks sit on each glyph's top ink row.
  EXPECT_EQ(Draw(sheet.faces), "oF8o....|..F.....|......Fo");
  EXPECT_TRUE(sheet.shadows.pixels.empty());
  EXPECT_EQ(sheet.script,
            "# made here\nMaxHeight 3\nGap 0\nSpace 3\nDrop 0,0\nCharSet AB\n"
            "LoadTGA faces.tga\n[Font]\nGrab 0,0,2\n");
  EXPECT_TRUE(sheet.outsideAdvance.empty());
}

TEST(FontSheet, ADropIsTheFontsAndAnOutlineIsDrawnAtTheFacesPlaces) {
  // The game draws each face again as its drop shadow: no picture, no shadow glyphs.
  const Sheet drop = Drawn(TwoGlyphs(), {ShadowStyle::Drop, 1, -2});
  EXPECT_EQ(Draw(drop.faces), "oF8o....|..F.....|......Fo");
  EXPECT_TRUE(drop.shadows.pixels.empty());
  EXPECT_NE(drop.script.find("MaxHeight 3\nGap 0\nSpace 3\nDrop 1,-2\n"), std::string::npos);
  EXPECT_EQ(drop.script.find("[Shadow]"), std::string::npos);

  // An outline grows each face by a pixel all round: cells 4 apart, and a margin of one.
  const Sheet outline = Drawn(TwoGlyphs(), {ShadowStyle::Outline, 0, 0});
  EXPECT_EQ(Draw(outline.faces),
            "............|.oF8o.......|...F........|.........Fo.|............");
  EXPECT_EQ(Draw(outline.shadows),
            "oFFF8o......|oFFFFo......|oFFFFo..FFFo|..FFF...FFFo|........FFFo");
  // Drawn again from retouched faces, as --redraw-shadows does, and as the drop of a sheet
  // imported when drop shadows had a picture of their own.
  RgbaPicture shadows;
  EXPECT_TRUE(DrawShadows(outline.faces, {ShadowStyle::Outline, 0, 0}, shadows));
  EXPECT_EQ(shadows.pixels, outline.shadows.pixels);
  EXPECT_TRUE(DrawShadows(outline.faces, {ShadowStyle::Drop, 1, 1}, shadows));
  EXPECT_EQ(Draw(shadows), "............|............|..oF8o......|....F.......|..........Fo");
  EXPECT_FALSE(DrawShadows(outline.faces, {ShadowStyle::Drop, 3, 0}, shadows));
  EXPECT_NE(outline.script.find("MaxHeight 5\nGap 0\nSpace 3\nDrop 0,0\n"), std::string::npos);
  EXPECT_NE(outline.script.find("[Font]\nGrab 0,1,2\nLoadTGA shadows.tga\n[Shadow]\nGrab 0,0,2\n"),
            std::string::npos);
}

TEST(FontSheet, BandsHoldSixteenAndInkOutsideTheAdvanceWidensTheCell) {
  ImportedFont font;
  for (std::uint8_t code = 'a'; code < 'a' + 17; ++code)
    font.glyphs.push_back({code, 1, 1, 0, 1, 1, {15}});
  font.glyphs[1].left = -1;    // 'b' starts left of the pen
  font.glyphs[2].advance = 0;  // 'c' has ink but no advance
  font.glyphs[3].samples = {
      0};  // 'd' has no ink: one invisible pixel on the row above the baseline
  font.spaceAdvance = 1;
  const Sheet sheet = Drawn(font, {ShadowStyle::None, 0, 0});
  const std::string clear(47, '.');
  EXPECT_EQ(Draw(sheet.faces), "F..Fo..F..o..F..F..F..F..F..F..F..F..F..F..F..F|" + clear + "|" +
                                   clear + "|F" + clear.substr(1));
  EXPECT_NE(sheet.script.find("[Font]\nGrab 0,0,16\nGrab 0,3,1\n"), std::string::npos);
  EXPECT_EQ(sheet.outsideAdvance, (std::vector<std::uint8_t>{'b', 'c'}));
  EXPECT_FALSE(sheet.spaceGuessed);
}

TEST(FontSheet, TheBandHoldsTheAdvanceOfACharacterWithoutInkWhereverTheInkLies) {
  // Its advance marks go on the row above the baseline: with ink only below the baseline
  // ('_'), or only above it and not down to it ('\''), the band grows to hold that row too.
  ImportedFont below;
  below.glyphs.push_back({'_', 2, 1, 0, -1, 2, {15, 15}});
  below.glyphs.push_back({0xA0, 0, 0, 0, 0, 2, {}});
  below.spaceAdvance = 2;
  const Sheet low = Drawn(below, {ShadowStyle::None, 0, 0});
  EXPECT_EQ(Draw(low.faces), "....oo|......|FF....");
  EXPECT_NE(low.script.find("MaxHeight 3\n"), std::string::npos);

  ImportedFont above = below;
  above.glyphs[0] = {'\'', 1, 1, 0, 3, 1, {15}};
  const Sheet high = Drawn(above, {ShadowStyle::Drop, 1, 1});
  EXPECT_EQ(Draw(high.faces), "F....|.....|...oo");

  // A font whose characters have no ink at all draws nothing worth a sheet.
  Sheet sheet;
  below.glyphs.erase(below.glyphs.begin());
  EXPECT_EQ(DrawSheet(below, "font", {}, "", sheet).message(),
            "'font' draws every character asked for without ink: it holds no shapes for them");
}

TEST(FontSheet, WhatNoFontCanHoldIsRefused) {
  Sheet sheet;
  ImportedFont font = TwoGlyphs();
  font.glyphs[1].advance = 254;  // with an outline's two more columns, a cell of 256
  EXPECT_EQ(DrawSheet(font, "font", {ShadowStyle::Outline, 0, 0}, "", sheet).message(),
            "'B' of 'font' needs a cell 256 pixels wide, and a font holds at most 255; "
            "choose a smaller --size");
  EXPECT_FALSE(DrawSheet(font, "font", {ShadowStyle::None, 0, 0}, "", sheet).Failed());
  // The advice is the one for the kind of font.
  font.kind = FontKind::BmFont;
  EXPECT_EQ(DrawSheet(font, "font", {ShadowStyle::Outline, 0, 0}, "", sheet).message(),
            "'B' of 'font' needs a cell 256 pixels wide, and a font holds at most 255; "
            "export the font at a smaller size from the tool that made it");

  font = TwoGlyphs();
  font.glyphs[1].top = -251;  // 254 rows from 'A's top to 'B's bottom, and an outline's 2 more
  EXPECT_FALSE(DrawSheet(font, "font", {ShadowStyle::Drop, 1, 1}, "", sheet).Failed());
  EXPECT_EQ(DrawSheet(font, "font", {ShadowStyle::Outline, 0, 0}, "", sheet).message(),
            "the characters of 'font' span 256 rows with their shadows, and a font holds at "
            "most 255; choose a smaller --size");

  font = TwoGlyphs();
  font.spaceAdvance = 128;  // the game reads Space as a signed byte
  font.kind = FontKind::Bitmap;
  EXPECT_EQ(DrawSheet(font, "font", {ShadowStyle::None, 0, 0}, "", sheet).message(),
            "the space of 'font' advances 128 pixels, and a font's Space holds at most 127; "
            "choose a smaller strike with --size");

  font.spaceAdvance.reset();  // no space: the middle advance of 4 and 2 stands in
  EXPECT_FALSE(DrawSheet(font, "font", {ShadowStyle::None, 0, 0}, "", sheet).Failed());
  EXPECT_TRUE(sheet.spaceGuessed);
  EXPECT_EQ(sheet.space, 4);

  EXPECT_EQ(DrawSheet(ImportedFont{}, "font", {}, "", sheet).message(),
            "'font' has none of the characters asked for");
}

TEST(FontSheet, CodesPastAsciiMakeAUtf8Script) {
  ImportedFont font = TwoGlyphs();
  font.glyphs[1].code = 0xE9;
  const Sheet sheet = Drawn(font, {ShadowStyle::None, 0, 0});
  EXPECT_EQ(sheet.script.find("# made here\nEncoding UTF-8\nMaxHeight 3\n"), 0u);
  EXPECT_NE(sheet.script.find("CharSet A\xC3\xA9\n"), std::string::npos);
  EXPECT_EQ(Drawn(TwoGlyphs(), {ShadowStyle::None, 0, 0}).script.find("Encoding"),
            std::string::npos);
}

TEST(TgaEncoder, WritesARawTopFirstPictureWithAlpha) {
  RgbaPicture picture(2, 1);
  const std::uint8_t rgba[4] = {0x11, 0x22, 0x33, 0x44};
  EXPECT_TRUE(picture.Set(1, 0, rgba));
  EXPECT_FALSE(picture.Set(2, 0, rgba));
  const std::vector<std::uint8_t> expected = {
      0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 1, 0, 32, 0x28, 0, 0, 0, 0, 0x33, 0x22, 0x11, 0x44};
  EXPECT_EQ(EncodeTga(picture), expected);
}

TEST(CharList, TakesUtf8AsLatin1CodesEachOnceAndRefusesWhatNoCharSetHolds) {
  std::vector<std::uint8_t> codes;
  std::vector<std::uint8_t> repeated;
  EXPECT_FALSE(ParseCharList("A\xC3\xA9~\xC3\xBF", codes, repeated).Failed());
  EXPECT_EQ(codes, (std::vector<std::uint8_t>{'A', 0xE9, '~', 0xFF}));
  EXPECT_TRUE(repeated.empty());
  EXPECT_EQ(DefaultCharList().size(), 94u);
  EXPECT_FALSE(ParseCharList("ABA\xC3\xA9"
                             "BA\xC3\xA9",
                             codes, repeated)
                   .Failed());
  EXPECT_EQ(codes, (std::vector<std::uint8_t>{'A', 'B', 0xE9}));
  EXPECT_EQ(repeated, (std::vector<std::uint8_t>{'A', 'B', 0xE9}));

  const struct {
    const char* text;
    const char* message;
  } refused[] = {
      {"AB C", "--chars holds U+0020 (character 3); a font's codes are U+0021 to U+00FF"},
      {"A\xC4\x80", "--chars holds U+0100 (character 2); a font's codes are U+0021 to U+00FF"},
      {"A\xC0\x81", "--chars is no UTF-8 text (at character 2)"},  // an overlong '\x01'
      {"A\xC3", "--chars is no UTF-8 text (at character 2)"},      // cut short
      {"", "--chars holds no character"},
  };
  for (const auto& text : refused)
    EXPECT_EQ(ParseCharList(text.text, codes, repeated).message(), text.message) << text.text;

  // "CharSet " and 119 characters make a line of 127, whatever the last one is: a script of
  // codes past ASCII is UTF-8, whose lines count characters.
  std::string text;
  for (int code = 0xA1; code < 0xA1 + 25; ++code) text += {'\xC2', static_cast<char>(code)};
  for (char code = '!'; code <= '~'; ++code) text += code;
  EXPECT_FALSE(ParseCharList(text, codes, repeated).Failed());
  EXPECT_EQ(codes.size(), 119u);
  EXPECT_EQ(ParseCharList(text + "\xC3\xA0", codes, repeated).message(),
            "--chars holds 120 characters; a script's CharSet line holds at most 119 of these");
  text.resize(text.size() - 1);  // 118 characters, and a 119th from Latin-1
  EXPECT_FALSE(ParseCharList(text + "\xC3\xA0", codes, repeated).Failed());
}

}  // namespace
}  // namespace typekiln
