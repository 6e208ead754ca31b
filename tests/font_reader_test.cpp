#include "inspect/font_file/font_reader.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "test_support.h"

namespace typekiln {
namespace {

using test::Bytes;
using test::Hex;

const char kTags[] = "544b4c4e 515a3721 4e363421 00000001";

// One horizontal 3 x 2 glyph 'A' at 48, no shadow: the file format's own example.
Bytes Example() {
  return Hex(std::string(kTags) +
             "01 00 01 10 00 00 00 00"
             "00000030 03 02 01 08  00000000 00 00 00 00  f6 00 41 00"
             "00000000"
             "01 02 0f 00 00 00 00 00"
             "03 00 0f 00 00 00 00 00");
}

Bytes Patched(Bytes bytes, std::size_t at, const Bytes& with) {
  std::copy(with.begin(), with.end(), bytes.begin() + static_cast<long>(at));
  return bytes;
}

bool Has(const std::vector<std::string>& problems, const std::string& problem) {
  return std::find(problems.begin(), problems.end(), problem) != problems.end();
}

TEST(FontReader, TheExampleReadsBackFieldByField) {
  const Bytes bytes = Example();
  const FontFile font = ReadFont(bytes);
  EXPECT_EQ(font.problems, std::vector<std::string>{});
  ASSERT_EQ(font.entries.size(), 1u);
  const FontEntry& entry = font.entries[0];
  EXPECT_EQ(entry.face.offset, 48u);
  EXPECT_EQ(entry.face.width, 3);
  EXPECT_EQ(entry.face.height, 2);
  EXPECT_EQ(entry.face.top, 1);
  EXPECT_EQ(entry.face.stride, 8);
  EXPECT_FALSE(entry.shadow.Present());
  EXPECT_EQ(ShadowDx(font, entry), -10);
  EXPECT_EQ(ShadowDy(font, entry), 0);
  EXPECT_EQ(entry.code, 'A');
  EXPECT_EQ(font.header.gap, 1);
  EXPECT_EQ(font.header.space, 16);
  EXPECT_EQ(StoredSample(font, entry.face, 2, 1), 15);
  EXPECT_EQ(StoredSample(font, entry.face, 3, 1), -1);  // the row's padding is not a sample
  EXPECT_EQ(font.unnamedBytes, 0u);
}

TEST(FontReader, AVerticalFontTurnsBackUpright) {
  // Drawn a b c / d e f, stored turned as c f / b e / a d; the shadow 2 right and 1 down.
  const Bytes bytes = Hex(std::string(kTags) +
                          "01 01 01 10 00 00 00 00"
                          "00000030 02 03 00 08  00000000 00 00 00 00"
                          "01 fe 00 00  00000000"
                          "0c 0f 00 00 00 00 00 00"
                          "0b 0e 00 00 00 00 00 00"
                          "0a 0d 00 00 00 00 00 00");
  const FontFile font = ReadFont(bytes);
  EXPECT_EQ(font.problems, std::vector<std::string>{});
  const FontBitmap& face = font.entries[0].face;
  ASSERT_EQ(DrawnWidth(font, face), 3);
  ASSERT_EQ(DrawnHeight(font, face), 2);
  std::string drawn;
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x)
      drawn += static_cast<char>('a' - 10 + DrawnSample(font, face, x, y));
  EXPECT_EQ(drawn, "abcdef");
  EXPECT_EQ(ShadowDx(font, font.entries[0]), 2);
  EXPECT_EQ(ShadowDy(font, font.entries[0]), 1);
}

TEST(FontReader, EachBrokenFieldIsNamed) {
  const Bytes good = Example();
  const struct {
    Bytes bytes;
    std::string problem;
    bool drawable;  // whether a game could still draw it safely
  } cases[] = {
      {Patched(good, 0, test::BytesOf("TKLM")), "Header: tag 1 is \"TKLM\", should be \"TKLN\"",
       false},
      {Patched(good, 8, Hex("00")), "Header: tag 3 is \"\\x0064!\", should be \"N64!\"", false},
      {Patched(good, 12, Hex("00000002")), "Header: the constant at byte 12 is 2, should be 1",
       false},
      {Patched(good, 17, Hex("02")),
       "Header: orientation is 2, should be 0 (horizontal) or 1 (vertical)", false},
      {Patched(good, 16, Hex("c8")), "Header: glyph count 200 is more than 128", false},
      {Patched(good, 16, Hex("03")),
       "Table: 3 entries end at byte 84, past the end of the file at 64; 2 entries read", false},
      {Patched(good, 23, Hex("01")), "Header: byte 23 is 1, should be 0", true},
      {Patched(good, 43, Hex("07")), "Entry 0: byte 19 is 7, should be 0", true},
      {Patched(good, 24, Hex("00000031")), "Entry 0 face: offset 49 is not a multiple of 8", false},
      {Patched(good, 24, Hex("00000028")),
       "Entry 0 face: block at 40 starts inside the header and table, which end at 44", false},
      {Patched(good, 29, Hex("03")),
       "Entry 0 face: block at 48 of 24 bytes ends at 72, past the end of the file at 64", false},
      {Patched(good, 31, Hex("10")), "Entry 0 face: stride is 16, should be 8 for width 3", false},
      {Patched(good, 31, Hex("00")), "Entry 0 face: stride is 0, should be 8 for width 3", false},
      {Patched(good, 29, Hex("01 01 10")), "Entry 0 face: stride is 16, should be 8 for width 3",
       true},
      {Patched(good, 50, Hex("1f")),
       "Entry 0 face: a sample above 15 (31 at column 2 of row 0), 1 in all", false},
      {Patched(good, 59, Hex("01")),
       "Entry 0 face: a non-zero byte in the row padding (1 at byte 3 of row 1), 1 in all", true},
      {Patched(good, 44, Hex("09")),
       "Entry 0 face: non-zero fill before its block: 1 of the 4 bytes from 44", true},
      {Patched(good, 32, Hex("00000030 03 02 01 08")),
       "Entry 0 shadow: block at 48 overlaps the block of entry 0 face, which ends at 64", true},
  };
  for (const auto& [bytes, problem, drawable] : cases) {
    const FontFile font = ReadFont(bytes);
    EXPECT_TRUE(Has(font.problems, problem)) << problem;
    EXPECT_EQ(font.drawable, drawable) << problem;
  }
}

// Every cut of a font and every byte made 0xFF reads without a step outside the bytes (the
// sanitizer build watches), and every cut is a problem.
TEST(FontReader, NoBytesMakeItReadOutside) {
  Bytes good = Example();
  good = Patched(good, 32, Hex("00000040 03 02 01 08"));  // a shadow too, after the face
  good.insert(good.end(), good.end() - 16, good.end());
  const auto touchEverySample = [](const FontFile& font) {
    int sum = 0;
    for (const FontEntry& entry : font.entries) {
      for (const FontBitmap& bitmap : {entry.face, entry.shadow}) {
        for (int y = -1; y <= DrawnHeight(font, bitmap); ++y)
          for (int x = -1; x <= DrawnWidth(font, bitmap); ++x)
            sum += DrawnSample(font, bitmap, x, y);
      }
    }
    return sum;
  };
  ASSERT_EQ(ReadFont(good).problems, std::vector<std::string>{});
  for (std::size_t length = 0; length < good.size(); ++length) {
    const Bytes cut(good.begin(), good.begin() + static_cast<long>(length));
    const FontFile font = ReadFont(cut);
    EXPECT_FALSE(font.problems.empty()) << length;
    EXPECT_FALSE(font.drawable) << length;
    touchEverySample(font);
  }
  for (std::size_t at = 0; at < good.size(); ++at)
    touchEverySample(ReadFont(Patched(good, at, Hex("ff"))));
}

}  // namespace
}  // namespace typekiln
