#include "import/bmfont/bmfont_reader.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>

#include "import/bmfont/bmfont_font.h"
#include "test_support.h"

namespace typekiln {
namespace {

using test::Bytes;
using test::BytesOf;

// One small font, written in each of the three forms. The text form adds what a reader must
// pass over: CR LF, padding, unknown tags and keys, and a repeated char id whose first counts.
const char kTinyText[] =
    "info face=\"Tiny & Sans\" size=-12 bold=0 padding=0,0,0,0 spacing=1,1\r\n"
    "common lineHeight=14 base=11 scaleW=8 scaleH=4 pages=2 packed=0 alphaChnl=0 redChnl=4 "
    "greenChnl=4 blueChnl=4\r\n"
    "page id=0 file=\"tiny_0.png\"\r\n"
    "page id=1 file=\"tiny_1.tga\"\r\n"
    "chars count=3\r\n"
    "char id=65   x=0     y=0     width=3     height=2     xoffset=-1    yoffset=2     "
    "xadvance=4     page=0  chnl=15\r\n"
    "\r\n"
    "sparkle colour=\"gold\"\r\n"
    "char id=32 x=0 y=0 width=0 height=0 xoffset=0 yoffset=11 xadvance=3 page=0 chnl=15 "
    "letter=\"space\"\r\n"
    "char id=65 x=5 y=1 width=1 height=1 xoffset=0 yoffset=0 xadvance=9 page=1 chnl=1\r\n"
    "char id=256 x=4 y=1 width=2 height=2 xoffset=0 yoffset=1 xadvance=5 page=1 chnl=8\r\n"
    "kernings count=1\r\n"
    "kerning first=65 second=86 amount=-1\r\n";

const char kTinyXml[] =
    "\xEF\xBB\xBF<?xml version=\"1.0\"?>\n"
    "<font>\n"
    "  <!-- written by hand <char id=\"99\"/> -->\n"
    "  <info face=\"Tiny &amp; Sans\" size='-12' bold=\"0\"/>\n"
    "  <common lineHeight=\"14\" base=\"11\" scaleW=\"8\" scaleH=\"4\" pages=\"2\" packed=\"0\"\n"
    "          alphaChnl=\"0\" redChnl=\"4\" greenChnl=\"4\" blueChnl=\"4\"/>\n"
    "  <pages><page id=\"0\" file=\"tiny_0.png\" /><page id='1' file='tiny&#95;1.tga'/></pages>\n"
    "  <chars count=\"3\">\n"
    "    <char id=\"65\" x=\"0\" y=\"0\" width=\"3\" height=\"2\" xoffset=\"-1\" yoffset=\"2\" "
    "xadvance=\"4\" page=\"0\" chnl=\"15\" />\n"
    "    <char id=\"32\" x=\"0\" y=\"0\" width=\"0\" height=\"0\" xoffset=\"0\" yoffset=\"11\" "
    "xadvance=\"3\" page=\"0\" chnl=\"15\" />\n"
    "    <char id=\"256\" x=\"4\" y=\"1\" width=\"2\" height=\"2\" xoffset=\"0\" yoffset=\"1\" "
    "xadvance=\"5\" page=\"1\" chnl=\"8\" />\n"
    "  </chars>\n"
    "  <kernings count=\"1\"><kerning first=\"65\" second=\"86\" amount=\"-1\"/></kernings>\n"
    "</font>\n";

// Each block of the binary form, as its bytes are laid out by hand.
const char* const kTinyBinaryBlocks[] = {
    "42 4d 46 03",  // "BMF", version 3
    // info, 26 bytes: size -12, flags, charset, stretchH 100, aa, padding, spacing, outline, face
    "01 1a000000  f4ff 00 00 6400 01 00000000 0101 00  54696e79 2026 2053616e73 00",
    // common, 15 bytes: lineHeight 14, base 11, scaleW 8, scaleH 4, pages 2, flags, channels
    "02 0f000000  0e00 0b00 0800 0400 0200 00 00 04 04 04",
    // pages, 22 bytes: "tiny_0.png", "tiny_1.tga"
    "03 16000000  74696e795f302e706e67 00 74696e795f312e746761 00",
    // chars, 3 x 20 bytes: id, x, y, width, height, xoffset, yoffset, xadvance, page, chnl
    "04 3c000000  41000000 0000 0000 0300 0200 ffff 0200 0400 00 0f"
    "             20000000 0000 0000 0000 0000 0000 0b00 0300 00 0f"
    "             00010000 0400 0100 0200 0200 0000 0100 0500 01 08",
    // kerning pairs, 1 x 10 bytes
    "05 0a000000  41000000 56000000 ffff",
};

Bytes TinyBinary() {
  Bytes bytes;
  for (const char* block : kTinyBinaryBlocks) {
    const Bytes part = test::Hex(block);
    bytes.insert(bytes.end(), part.begin(), part.end());
  }
  return bytes;
}

void ExpectTinyDescriptor(const BmFontDescriptor& d) {
  EXPECT_EQ(d.face, "Tiny & Sans");
  EXPECT_EQ(d.size, -12);
  EXPECT_TRUE(d.hasCommon);
  EXPECT_EQ(d.lineHeight, 14);
  EXPECT_EQ(d.base, 11);
  EXPECT_EQ(d.scaleW, 8);
  EXPECT_EQ(d.scaleH, 4);
  EXPECT_EQ(d.pages, 2);
  EXPECT_FALSE(d.packed);
  EXPECT_EQ(d.alphaChnl, 0);
  EXPECT_EQ(d.redChnl, 4);
  EXPECT_EQ(d.greenChnl, 4);
  EXPECT_EQ(d.blueChnl, 4);
  EXPECT_EQ(d.pageFiles, (std::map<int, std::string>{{0, "tiny_0.png"}, {1, "tiny_1.tga"}}));
  ASSERT_EQ(d.chars.size(), 3u);
  const BmFontChar& a = d.chars[0];
  EXPECT_EQ(a.id, 65u);
  EXPECT_EQ(a.x, 0);
  EXPECT_EQ(a.width, 3);
  EXPECT_EQ(a.height, 2);
  EXPECT_EQ(a.xoffset, -1);
  EXPECT_EQ(a.yoffset, 2);
  EXPECT_EQ(a.xadvance, 4);
  EXPECT_EQ(a.page, 0);
  EXPECT_EQ(a.chnl, 15);
  EXPECT_EQ(d.chars[1].id, 32u);
  EXPECT_EQ(d.chars[1].yoffset, 11);
  const BmFontChar& last = d.chars[2];
  EXPECT_EQ(last.id, 256u);
  EXPECT_EQ(last.x, 4);
  EXPECT_EQ(last.y, 1);
  EXPECT_EQ(last.page, 1);
  EXPECT_EQ(last.chnl, 8);
  EXPECT_EQ(d.kerningPairs, 1);
}

TEST(BmFontReader, TheThreeFormsGiveTheSameDescriptor) {
  const struct {
    Bytes bytes;
    BmFontForm form;
  } forms[] = {{BytesOf(kTinyText), BmFontForm::Text},
               {BytesOf(kTinyXml), BmFontForm::Xml},
               {TinyBinary(), BmFontForm::Binary}};
  for (const auto& form : forms) {
    SCOPED_TRACE(static_cast<int>(form.form));
    BmFontDescriptor descriptor;
    const Failure failure = ParseBmFont("tiny.fnt", form.bytes, descriptor);
    ASSERT_FALSE(failure.Failed()) << failure.message();
    EXPECT_EQ(descriptor.form, form.form);
    ExpectTinyDescriptor(descriptor);
  }
}

TEST(BmFontReader, ATruncatedBinaryFailsUnlessCutBetweenBlocks) {
  const Bytes whole = TinyBinary();
  ASSERT_EQ(whole.size(), 162u);
  // Cut after the common record's block, the pages' or the chars', the file is whole blocks
  // that name every page their chars use.
  const std::size_t readable[] = {55, 82, 147};
  for (std::size_t size = 0; size < whole.size(); ++size) {
    SCOPED_TRACE(size);
    BmFontDescriptor descriptor;
    const Bytes cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(size));
    const Failure failure = ParseBmFont("t.fnt", cut, descriptor);
    EXPECT_EQ(failure.Failed(), std::count(std::begin(readable), std::end(readable), size) == 0);
  }
  BmFontDescriptor descriptor;
  EXPECT_EQ(ParseBmFont("t.fnt", Bytes(whole.begin(), whole.begin() + 3), descriptor).message(),
            "'t.fnt' byte 3: the file ends before the version byte");
  EXPECT_EQ(ParseBmFont("t.fnt", Bytes(whole.begin(), whole.begin() + 7), descriptor).message(),
            "'t.fnt' byte 4: the file ends inside a block's type and size");
  EXPECT_EQ(ParseBmFont("t.fnt", Bytes(whole.begin(), whole.begin() + 30), descriptor).message(),
            "'t.fnt' byte 4: block 1 of 26 bytes runs past the end of the file");
}

TEST(BmFontReader, EachFailureNamesItsPlace) {
  const std::string common = "common lineHeight=8 base=6\npage id=0 file=\"p.png\"\n";
  const struct {
    std::string bytes;
    const char* message;
  } cases[] = {
      {"BMF\x02", "'f.fnt' byte 3: binary version 2; only version 3 is read"},
      {std::string("BMF\x03\x04\x15\0\0\0", 9) + std::string(21, '\0'),
       "'f.fnt' byte 4: block 4 of 21 bytes does not hold whole 20-byte records"},
      {std::string("BMF\x03\x02\x0f\0\0\0", 9) + std::string(12, '\0') + std::string("\x05\0\0", 3),
       "'f.fnt' byte 21: redChnl=5 is out of range (0 to 4)"},
      {std::string("BMF\x03\x03\x03\0\0\0a.b", 12),
       "'f.fnt' byte 4: block 3: the last name does not end in a NUL byte"},
      {"info face=\"x\"\n" + common, ""},
      {"info face=\"x\"\n", "'f.fnt': no common record, which gives the baseline"},
      {common + "char x=1 y=2\n", "'f.fnt' line 3: char has no id"},
      {common + "\nchar id=65 x=12px\n", "'f.fnt' line 4: x=12px is not a whole number"},
      {common + "char id=65 page=256\n", "'f.fnt' line 3: page=256 is out of range (0 to 255)"},
      {common + "char id=65 width=99999999999999999999\n",
       "'f.fnt' line 3: width=99999999999999999999 is out of range (0 to 65535)"},
      {common + "char id=65 page=1\n", "'f.fnt': char 65 is on page 1, which no page record names"},
      {"info face=\"Tiny\n", "'f.fnt' line 1: a quoted value has no closing quote"},
      {"<font>\n<info face=\"a&nbsp;b\"/>", "'f.fnt' line 2: '&nbsp;' is not an XML entity"},
      {"<font>\n\n<common base=6 />", "'f.fnt' line 3: malformed XML markup"},
      {"<font>\n<!-- never closed", "'f.fnt' line 2: malformed XML markup"},
      {"<info size='1\r\n2'/>", "'f.fnt' line 1: size=1??2 is not a whole number"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.bytes);
    BmFontDescriptor descriptor;
    EXPECT_EQ(ParseBmFont("f.fnt", BytesOf(c.bytes), descriptor).message(), c.message);
  }
}

TEST(BmFontReader, ReadsPaddedValuesAndDecodesEntitiesToUtf8) {
  BmFontDescriptor descriptor;
  ASSERT_FALSE(ParseBmFont("f.fnt",
                           BytesOf("common base=  6 pages=1 bare scaleW =9\n"
                                   "page id=0 file=\"p.png\"\n"
                                   "char id=-1 x=\t7 \n"),
                           descriptor)
                   .Failed());
  EXPECT_EQ(descriptor.base, 6);
  EXPECT_EQ(descriptor.pages, 1);
  EXPECT_EQ(descriptor.scaleW, 9);
  ASSERT_EQ(descriptor.chars.size(), 1u);
  EXPECT_EQ(descriptor.chars[0].id, 0xFFFFFFFFu);
  EXPECT_EQ(descriptor.chars[0].x, 7);

  ASSERT_FALSE(ParseBmFont("f.fnt",
                           BytesOf("<font><info face=\"&#233;&#x20AC;&#x1F600;&lt;&gt;&apos;\"/>"
                                   "<common base=\" 2 \"/></font>"),
                           descriptor)
                   .Failed());
  EXPECT_EQ(descriptor.face, "\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80<>'");
  EXPECT_EQ(descriptor.base, 2);
}

TEST(BmFontReader, HoldsAtMost65536Chars) {
  for (const std::uint32_t count : {65536u, 65537u}) {
    SCOPED_TRACE(count);
    // A common block, one page "a", then the chars block's header; its data starts at byte 36.
    Bytes bytes =
        test::Hex("424d4603  02 0f000000 000000000000000000000000000000  03 02000000 6100");
    const std::uint32_t size = count * 20;
    bytes.insert(bytes.end(),
                 {4, static_cast<std::uint8_t>(size), static_cast<std::uint8_t>(size >> 8),
                  static_cast<std::uint8_t>(size >> 16), 0});
    for (std::uint32_t id = 0; id < count; ++id) {
      const std::uint8_t record[20] = {static_cast<std::uint8_t>(id),
                                       static_cast<std::uint8_t>(id >> 8),
                                       static_cast<std::uint8_t>(id >> 16)};
      bytes.insert(bytes.end(), std::begin(record), std::end(record));
    }
    BmFontDescriptor descriptor;
    const Failure failure = ParseBmFont("f.fnt", bytes, descriptor);
    if (count == 65536u)
      EXPECT_EQ(descriptor.chars.size(), 65536u);
    else
      EXPECT_EQ(failure.message(), "'f.fnt' byte 1310756: more than 65536 chars");
  }
}

// A 3 x 2 page whose pixels' red, green, blue and alpha all differ, so that a sample tells which
// channel it came from. The top left pixel's channels quantise to 1, 2, 3 and 15.
const Bytes kPagePixels = {
    17, 34, 51, 255, 0, 0, 0, 136, 0, 0, 0, 8,  // top row
    0,  0,  0,  9,   0, 0, 0, 0,   0, 0, 0, 34,
};

BmFontDescriptor TinyDescriptor() {
  BmFontDescriptor descriptor;
  EXPECT_FALSE(ParseBmFont("tiny.fnt", BytesOf(kTinyText), descriptor).Failed());
  return descriptor;
}

TEST(BmFontCutter, CutsTheCodesAskedForInTheirOrder) {
  const BmFontDescriptor descriptor = TinyDescriptor();
  const BmFontPage pages[] = {{3, 2, 4, kPagePixels}};
  ImportedFont font;
  // 256 is not Latin-1 and must not stand for 0.
  ASSERT_FALSE(CutBmFontGlyphs("t.fnt", descriptor, pages, {'B', 'A', 0, ' '}, font).Failed());
  EXPECT_EQ(font.description, "BMFont \"Tiny & Sans\", size 12");
  EXPECT_EQ(font.missing, (std::vector<std::uint8_t>{'B', 0}));
  EXPECT_EQ(font.spaceAdvance, 3);
  EXPECT_EQ(font.kerningPairs, 1);
  ASSERT_EQ(font.glyphs.size(), 2u);
  const ImportedGlyph& a = font.glyphs[0];
  EXPECT_EQ(a.code, 'A');
  EXPECT_EQ(a.width, 3);
  EXPECT_EQ(a.height, 2);
  EXPECT_EQ(a.left, -1);
  EXPECT_EQ(a.top, 9);  // base 11, yoffset 2
  EXPECT_EQ(a.advance, 4);
  EXPECT_EQ(a.samples, (std::vector<std::uint8_t>{15, 8, 0, 1, 0, 2}));
  const ImportedGlyph& space = font.glyphs[1];
  EXPECT_EQ(space.code, ' ');
  EXPECT_EQ(space.width, 0);
  EXPECT_EQ(space.top, 0);
  EXPECT_EQ(space.advance, 3);
  EXPECT_TRUE(space.samples.empty());
}

TEST(BmFontCutter, TakesCoverageFromTheChannelThatHoldsTheGlyph) {
  const struct {
    int chnl;
    int pageChannels;
    int alphaChnl;
    int redChnl;
    std::uint8_t sample;
  } cases[] = {
      {15, 4, 0, 4, 15}, {0, 4, 0, 4, 15}, {8, 4, 0, 4, 15},  {4, 4, 0, 4, 1},
      {2, 4, 0, 4, 2},   {1, 4, 0, 4, 3},  {12, 4, 0, 4, 15}, {6, 4, 0, 4, 1},
      {3, 4, 0, 4, 2},   {15, 3, 0, 4, 1}, {15, 1, 0, 4, 1},  {15, 2, 0, 4, 15},
      {15, 4, 4, 0, 1},  {15, 4, 3, 2, 1}, {15, 4, 4, 1, 15}, {15, 4, 1, 0, 15},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message()
                 << "chnl " << c.chnl << ", " << c.pageChannels << " channels, alphaChnl "
                 << c.alphaChnl << ", redChnl " << c.redChnl);
    BmFontDescriptor descriptor = TinyDescriptor();
    descriptor.chars[0].chnl = c.chnl;
    descriptor.alphaChnl = c.alphaChnl;
    descriptor.redChnl = c.redChnl;
    const BmFontPage pages[] = {{3, 2, c.pageChannels, kPagePixels}};
    ImportedFont font;
    ASSERT_FALSE(CutBmFontGlyphs("t.fnt", descriptor, pages, {'A'}, font).Failed());
    EXPECT_EQ(font.glyphs.at(0).samples.at(0), c.sample);
  }
}

TEST(BmFontCutter, ARectangleOutsideItsPageFails) {
  BmFontDescriptor descriptor = TinyDescriptor();
  const BmFontPage pages[] = {{3, 2, 4, kPagePixels}};
  ImportedFont font;
  descriptor.chars[0].x = 1;  // 3 wide from column 1 of 3
  EXPECT_EQ(CutBmFontGlyphs("t.fnt", descriptor, pages, {'A'}, font).message(),
            "'t.fnt': char 65 lies outside its page 0 (3 x 2 pixels)");
  descriptor.chars[0].x = 0;
  descriptor.chars[0].page = 1;  // a page that was not read
  EXPECT_EQ(CutBmFontGlyphs("t.fnt", descriptor, pages, {'A'}, font).message(),
            "'t.fnt': char 65 lies outside its page 1 (0 x 0 pixels)");
  const BmFontPage shortPage[] = {{3, 2, 4, std::span(kPagePixels).first(23)}};
  EXPECT_TRUE(CutBmFontGlyphs("t.fnt", TinyDescriptor(), shortPage, {'A'}, font).Failed());
}

// How a failure that lies at no one place of the descriptor at `path` reads.
std::string InDescriptor(const std::string& path, const std::string& message) {
  return std::string("'").append(path).append("': ").append(message);
}

TEST(BmFontFile, ReadsOnlyThePagesAskedForFromTheDescriptorsFolder) {
  test::TempDir dir;
  std::filesystem::create_directory(dir.path() / "pages");
  // 2 x 2, bottom row first, each pixel blue, green, red, alpha; column 1 is 255 over 136.
  test::WriteBytes(dir.File("pages/tiny.tga"),
                   test::TgaFile(2, 2, test::Hex("00000000 00000088 00000000 000000ff")));
  test::WriteBytes(dir.File("tiny.fnt"),
                   "common lineHeight=4 base=3\n"
                   "page id=0 file=\"pages\\tiny.tga\"\npage id=1 file=\"absent.png\"\n"
                   "char id=66 x=1 y=0 width=1 height=2 xoffset=0 yoffset=1 xadvance=2 page=0\n"
                   "char id=67 x=0 y=0 width=1 height=1 page=1\n");
  ImportedFont font;
  const auto read = [&](std::uint8_t code) {
    return ReadBmFont(dir.File("tiny.fnt"), test::ReadBytes(dir.File("tiny.fnt")), {code}, font);
  };
  const Failure failure = read('B');
  ASSERT_FALSE(failure.Failed()) << failure.message();
  ASSERT_EQ(font.glyphs.size(), 1u);
  EXPECT_EQ(font.glyphs[0].samples, (std::vector<std::uint8_t>{15, 8}));
  EXPECT_EQ(font.glyphs[0].top, 2);

  EXPECT_EQ(read('C').message(),
            InDescriptor(dir.File("tiny.fnt"), "page 1 'absent.png' cannot be read"));
}

// An empty IDAT chunk holds no image data: a PNG page with one before its data reads as the
// same page without it (the decoder must never be handed one: it copies it from no buffer).
TEST(BmFontFile, APngPageWithAnEmptyIdatChunkReadsAsWithout) {
  test::TempDir dir;
  const std::string png = test::PngFile(2, 2, 4, 8, {9, 0, 200, 136, 9, 255, 9, 17});
  const std::size_t data = png.find("IDAT") - 4;
  const std::string emptyIdat("\0\0\0\0IDAT\x35\xAF\x06\x1E", 12);
  test::WriteBytes(dir.File("page.png"), png.substr(0, data) + emptyIdat + png.substr(data));
  test::WriteBytes(dir.File("f.fnt"),
                   "common base=2\npage id=0 file=\"page.png\"\nchar id=65 width=2 height=2\n");
  ImportedFont font;
  const Failure failure =
      ReadBmFont(dir.File("f.fnt"), test::ReadBytes(dir.File("f.fnt")), {'A'}, font);
  ASSERT_FALSE(failure.Failed()) << failure.message();
  EXPECT_EQ(font.glyphs.at(0).samples, (std::vector<std::uint8_t>{0, 8, 15, 1}));
}

TEST(BmFontFile, RefusesPageNamesOutsideTheDescriptorsFolder) {
  test::TempDir dir;
  const struct {
    const char* name;
    const char* message;
  } cases[] = {
      {"../tiny.tga", "page 0 '../tiny.tga' leads out of the descriptor's folder (..)"},
      {"a\\..\\..\\b.tga",
       "page 0 'a\\..\\..\\b.tga' leads out of the descriptor's "
       "folder (..)"},
      {"/tmp/tiny.tga",
       "page 0 '/tmp/tiny.tga' is an absolute path; pages are named "
       "from the descriptor's folder"},
      {"C:tiny.tga",
       "page 0 'C:tiny.tga' is an absolute path; pages are named from "
       "the descriptor's folder"},
  };
  // Links followed out of the folder, and what is no file, are refused too.
  test::WriteBytes(dir.File("outside.tga"), test::TgaFile(1, 1, Bytes(4, 0xFF)));
  std::filesystem::create_directories(dir.path() / "in/sub");
  std::filesystem::create_symlink("../outside.tga", dir.path() / "in/out.tga");
  std::filesystem::create_symlink("/etc/passwd", dir.path() / "in/passwd.tga");
  std::filesystem::create_symlink("../../outside.tga", dir.path() / "in/sub/up.tga");
  ASSERT_EQ(mkfifo(dir.File("in/fifo.tga").c_str(), 0644), 0);
  const struct {
    const char* name;
    const char* message;
  } inside[] = {
      {"out.tga",
       "page 0 'out.tga' is reached through a link that leads out of the descriptor's "
       "folder"},
      {"passwd.tga", "page 0 'passwd.tga' is reached through a link that leads out"},
      {"sub/up.tga", "page 0 'sub/up.tga' is reached through a link that leads out"},
      {"fifo.tga", "page 0 'fifo.tga' is no regular file"},
      {"sub", "page 0 'sub' is no regular file"},
  };
  for (const auto& c : inside) {
    SCOPED_TRACE(c.name);
    const std::string descriptor = dir.File("in/f.fnt");
    test::WriteBytes(descriptor, std::string("common base=1\npage id=0 file=\"") + c.name +
                                     "\"\nchar id=65 width=1 height=1\n");
    ImportedFont font;
    EXPECT_NE(
        ReadBmFont(descriptor, test::ReadBytes(descriptor), {'A'}, font).message().find(c.message),
        std::string::npos);
  }
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    test::WriteBytes(dir.File("f.fnt"), std::string("common base=1\npage id=0 file=\"") + c.name +
                                            "\"\nchar id=65 width=1 height=1\n");
    ImportedFont font;
    EXPECT_EQ(
        ReadBmFont(dir.File("f.fnt"), test::ReadBytes(dir.File("f.fnt")), {'A'}, font).message(),
        InDescriptor(dir.File("f.fnt"), c.message));
  }
}

}  // namespace
}  // namespace typekiln
