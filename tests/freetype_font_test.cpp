#include "import/freetype/freetype_font.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdio>
#include <string>

#include "test_support.h"

namespace typekiln {
namespace {

using test::Bytes;

const std::string kSans = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

// A bitmap font whose 'B' has a box but no BITMAP section.
const char kBdf[] =
    "STARTFONT 2.1\nFONT -t-t-medium-r-normal--8-80-75-75-c-40-iso10646-1\nSIZE 8 75 75\n"
    "FONTBOUNDINGBOX 4 8 0 -2\nSTARTPROPERTIES 2\nFONT_ASCENT 6\nFONT_DESCENT 2\n"
    "ENDPROPERTIES\nCHARS 2\n"
    "STARTCHAR A\nENCODING 65\nSWIDTH 500 0\nDWIDTH 4 0\nBBX 3 2 0 0\nBITMAP\nE0\nA0\nENDCHAR\n"
    "STARTCHAR B\nENCODING 66\nSWIDTH 500 0\nDWIDTH 5 0\nBBX 3 1 0 0\nENDCHAR\nENDFONT\n";

Bytes Gzip(const Bytes& plain) {
  z_stream stream{};
  Bytes packed(plain.size() / 100 + 1024);
  EXPECT_EQ(deflateInit2(&stream, 1, Z_DEFLATED, 16 + 15, 8, Z_DEFAULT_STRATEGY), Z_OK);
  stream.next_in = const_cast<Bytef*>(plain.data());
  stream.avail_in = static_cast<uInt>(plain.size());
  stream.next_out = packed.data();
  stream.avail_out = static_cast<uInt>(packed.size());
  EXPECT_EQ(deflate(&stream, Z_FINISH), Z_STREAM_END);
  packed.resize(stream.total_out);
  deflateEnd(&stream);
  return packed;
}

// The message of the failure to read the font "font" from `bytes`; empty when it reads.
std::string Read(const Bytes& bytes, const FreeTypeOptions& options,
                 const std::vector<std::uint8_t>& codes, ImportedFont& font) {
  return ReadFreeTypeFont("font", bytes, options, codes, font).message();
}

TEST(FreeTypeFont, AGlyphWithoutItsBitmapHasNoInkButItsAdvance) {
  ImportedFont font;
  ASSERT_EQ(Read(test::BytesOf(kBdf), {}, {'A', 'B'}, font), "");
  ASSERT_EQ(font.glyphs.size(), 2u);
  EXPECT_EQ(font.glyphs[0].samples, (Bytes{15, 15, 15, 15, 0, 15}));
  EXPECT_EQ(font.glyphs[1].width, 0);
  EXPECT_EQ(font.glyphs[1].advance, 5);
  EXPECT_EQ(font.kind, FontKind::Bitmap);
  // Compressed, it reads the same.
  ImportedFont packed;
  ASSERT_EQ(Read(Gzip(test::BytesOf(kBdf)), {}, {'A', 'B'}, packed), "");
  EXPECT_EQ(packed.glyphs[0].samples, font.glyphs[0].samples);
}

TEST(FreeTypeFont, WhatWouldTakeTooLongOrTooMuchIsRefusedFirst) {
  ImportedFont font;
  // A file that inflates past the limit is not inflated further.
  EXPECT_EQ(Read(Gzip(Bytes(static_cast<std::size_t>(kMaxFontBytes) + 1)), {}, {'A'}, font),
            "'font' inflates to more than 64 MiB, the most typekiln-import takes of a font");

  // A design of 16 units to the em: at 150 pixels each unit is a run of pixels.
  Bytes sans = test::ReadBytes(kSans);
  const std::string text(sans.begin(), sans.end());
  const std::size_t entry = text.find("head");
  ASSERT_NE(entry, std::string::npos);
  const std::size_t head = static_cast<std::size_t>(sans[entry + 8]) << 24 | sans[entry + 9] << 16 |
                           sans[entry + 10] << 8 | sans[entry + 11];
  sans[head + 18] = 0, sans[head + 19] = 16;  // unitsPerEm
  FreeTypeOptions options;
  options.size = 150;
  const std::string design = Read(sans, options, {'A'}, font);
  int span = 0;
  ASSERT_EQ(std::sscanf(design.c_str(), "'font' spans %d pixels", &span), 1) << design;
  EXPECT_GT(span, kMaxDesignSide);
  EXPECT_EQ(design, "'font' spans " + std::to_string(span) +
                        " pixels at 150 pixels, and typekiln-import draws fonts that span at "
                        "most 4096; choose a smaller --size");
  options.size = 5;  // about 1800 pixels: drawn, and each glyph refused as too large
  EXPECT_EQ(Read(sans, options, {'A'}, font),
            "'font' draws 'A' larger than 255 pixels at 5 pixels; choose a smaller --size");

  options.timeLimit = std::chrono::milliseconds(0);
  EXPECT_EQ(Read(test::ReadBytes(kSans), options, {'A'}, font),
            "'font' takes more than 5 seconds to render, the most typekiln-import gives a font");
}

TEST(FreeTypeFont, ErrorsAreSaidInFreeTypesWords) {
  EXPECT_EQ(DescribeFreeTypeError(0x02), "unknown file format");
  EXPECT_EQ(DescribeFreeTypeError(0x40),
            "more memory than the 128 MiB typekiln-import lets FreeType hold for one font");
  EXPECT_EQ(DescribeFreeTypeError(0x7777), "error 30583");
}

}  // namespace
}  // namespace typekiln
