// typekiln-inspect --preview, --overlay and --render end to end: the PNGs it writes, decoded
// with libpng and looked at pixel by pixel.

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <map>

#include "font/font_writer.h"
#include "preview/font_preview.h"
#include "preview/overlay.h"
#include "preview/png_file.h"
#include "test_support.h"

namespace typekiln {
namespace {

bool operator==(Colour a, Colour b) {
  return a.red == b.red && a.green == b.green && a.blue == b.blue;
}

Glyph Row(BuildState& state, int x, int y, const std::vector<std::uint8_t>& alphas) {
  return test::MakeGlyph(state, x, y, static_cast<int>(alphas.size()), 1, 0, alphas);
}

// The preview of a one-glyph font, decoded, and where its first full-ink face pixel is.
struct Preview {
  Canvas canvas{1, 1, Colour{}};
  int x = -1;
  int y = -1;
};

Preview PreviewOf(const BuildState& state) {
  test::TempDir dir;
  test::TestConsole console;
  WriteFont(state, console.streams, dir.File("f.fnt"));
  const test::ToolRun run =
      test::RunInspect(dir.path(), {"--preview", "p.png", "f.fnt", "--zoom", "4"});
  EXPECT_EQ(run.status, 0) << run.err;
  Preview preview;
  preview.canvas = ReadPng(dir.File("p.png")).value_or(Canvas(1, 1, Colour{}));
  for (int y = 0; y < preview.canvas.height() && preview.x < 0; ++y) {
    for (int x = 0; x < preview.canvas.width() && preview.x < 0; ++x) {
      if (preview.canvas.At(x, y) == kFaceInk)
        preview.x = x, preview.y = y;
    }
  }
  return preview;
}

TEST(Preview, TheFaceLiesOverItsShadow) {
  BuildState state;
  state.fontSet.glyphs[0] = Row(state, 10, 0, {0xF0});
  state.shadowSet.glyphs[0] =
      Row(state, 10, 0, {0xF0, 0xF0});  // under the face and one to its right
  state.fontSet.count = state.shadowSet.count = 1;
  state.settings.charSet[0] = 'A';
  const Preview preview = PreviewOf(state);
  ASSERT_GE(preview.x, 0);
  EXPECT_TRUE(preview.canvas.At(preview.x + 3, preview.y + 3) == kFaceInk);
  EXPECT_TRUE(preview.canvas.At(preview.x + 4, preview.y) == kShadowInk);
  EXPECT_TRUE(preview.canvas.At(preview.x + 8, preview.y) == kPreviewBackground);
}

TEST(Preview, AVerticalGlyphIsDrawnUpright) {
  BuildState state;
  state.settings.orientation = Orientation::Vertical;
  state.fontSet.glyphs[0] =
      Row(state, 0, 0, {0xF0, 0x00, 0xF0, 0xF0});  // drawn across, stored down
  state.fontSet.count = 1;
  const Preview preview = PreviewOf(state);
  ASSERT_GE(preview.x, 0);
  const Canvas& canvas = preview.canvas;
  EXPECT_TRUE(canvas.At(preview.x + 4, preview.y) == kPreviewBackground);
  EXPECT_TRUE(canvas.At(preview.x + 8, preview.y) == kFaceInk);
  EXPECT_TRUE(canvas.At(preview.x + 12, preview.y) == kFaceInk);
  EXPECT_TRUE(canvas.At(preview.x, preview.y + 4) == kPreviewBackground);
}

// A face of samples 15, 8, 4 and a one-pixel shadow one right and one down, set by the game
// runtime on a transparent picture with two pixels of margin: white ink whose alpha is 17 times
// the sample, the shadow black. The vertical font's picture is the same, turned counter-clockwise.
TEST(Render, SetsTextAsTheGameDoes) {
  test::TempDir dir;
  BuildState state;
  state.fontSet.glyphs[0] = Row(state, 10, 0, {0xF0, 0x80, 0x40});
  state.shadowSet.glyphs[0] = Row(state, 11, 1, {0xF0});
  state.fontSet.count = state.shadowSet.count = 1;
  state.settings.charSet[0] = 'A';
  test::TestConsole console;
  WriteFont(state, console.streams, dir.File("h.fnt"));
  state.settings.orientation = Orientation::Vertical;
  WriteFont(state, console.streams, dir.File("v.fnt"));
  // Each pixel as red, green, blue, alpha: . clear, F full, h half, q quarter, s shadow.
  const std::map<char, std::array<int, 4>> kinds{{'.', {0, 0, 0, 0}},
                                                 {'F', {255, 255, 255, 255}},
                                                 {'h', {136, 136, 136, 136}},
                                                 {'q', {68, 68, 68, 68}},
                                                 {'s', {0, 0, 0, 255}}};
  const std::pair<const char*, std::vector<std::string>> cases[] = {
      {"h.fnt", {".......", ".......", "..Fhq..", "...s...", ".......", "......."}},
      {"v.fnt", {"......", "......", "..q...", "..hs..", "..F...", "......", "......"}},
  };
  for (const auto& [font, rows] : cases) {
    SCOPED_TRACE(font);
    const test::ToolRun run = test::RunInspect(dir.path(), {"--render", "t.png", font, "A"});
    ASSERT_EQ(run.status, 0) << run.err;
    const std::optional<Canvas> picture = ReadPng(dir.File("t.png"));
    ASSERT_TRUE(picture.has_value());
    ASSERT_EQ(picture->width(), static_cast<int>(rows[0].size()));
    ASSERT_EQ(picture->height(), static_cast<int>(rows.size()));
    const std::uint8_t* rgba = picture->rgba().data();
    for (std::size_t y = 0; y < rows.size(); ++y) {
      for (std::size_t x = 0; x < rows[y].size(); ++x, rgba += 4) {
        const std::array<int, 4> seen{rgba[0], rgba[1], rgba[2], rgba[3]};
        EXPECT_EQ(seen, kinds.at(rows[y][x])) << x << "," << y;
      }
    }
  }

  test::Bytes bad = test::ReadBytes(dir.File("h.fnt"));
  bad[48] = 16;  // the face's first sample
  test::WriteBytes(dir.File("bad.fnt"), std::string(bad.begin(), bad.end()));
  const test::ToolRun run = test::RunInspect(dir.path(), {"--render", "b.png", "bad.fnt", "A"});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("The game runtime refuses 'bad.fnt': a sample above 15\n"),
            std::string::npos)
      << run.err;
  EXPECT_FALSE(std::filesystem::exists(dir.File("b.png")));
}

// p1.tga, 300 x 1 with its right-to-left bit set: glyphs at columns 0, 2 (alpha 8: ink that
// stores as 0) and 4, one of 10 columns from 6 and one of 260 from 20. p2.tga: opaque.
TEST(Overlay, BoxesFrameTheInkAndNotesNameWhatLooksWrong) {
  test::TempDir dir;
  test::Bytes row(300 * 4, 0);
  for (int x : {0, 2, 4}) row[static_cast<std::size_t>(x * 4 + 3)] = x == 2 ? 8 : 0xF0;
  for (int x = 6; x < 16; ++x) row[static_cast<std::size_t>(x * 4 + 3)] = 0xF0;
  for (int x = 20; x < 280; ++x) row[static_cast<std::size_t>(x * 4 + 3)] = 0xF0;
  test::WriteBytes(dir.File("p1.tga"), test::TgaFile(300, 1, row, 2, 0x18));
  test::WriteBytes(dir.File("p2.tga"), test::TgaFile(1, 1, test::Bytes(4, 0xFF)));
  test::WriteBytes(dir.File("s.tks"),
                   "CharSet A\nMaxHeight 1\nLoadTGA p1.tga\n[Font]\nGrab 0,0,5\n[Shadow]\n"
                   "Grab 0,0,1\nLoadTGA p2.tga\n");
  const test::ToolRun run = test::RunInspect(dir.path(), {"--overlay", "o.png", "s.tks"});
  EXPECT_EQ(run.status, 0) << run.err;
  for (const char* note :
       {"note: 'p1.tga' (line \"LoadTGA p1.tga\"): its right-to-left bit (bit 4 of the "
        "descriptor) is set; typekiln ignores it and reads every row from left to right\n",
        "note: face glyph 1 (line \"Grab 0,0,5\"): 1 pixels with alpha below 16 count as ink "
        "but store as coverage 0, so the ink box is larger than what shows\n",
        "note: face glyph 3 (line \"Grab 0,0,5\"): 10 wide, more than twice its band's median "
        "of 1; two glyphs merged?\n",
        "note: face glyph 4 (line \"Grab 0,0,5\"): 260 x 1 does not fit the one-byte width "
        "and height fields\n",
        "note: 'p2.tga' (line \"LoadTGA p2.tga\"): alpha is 255 everywhere, so nothing in it "
        "is transparent\n",
        "note: the face set holds 5 glyphs and the shadow set 1\n",
        "note: CharSet holds 1 codes for 5 face glyphs: entries 1 to 4 get code 0\n"}) {
    EXPECT_NE(run.out.find(note), std::string::npos) << note << run.out;
  }

  const std::optional<Canvas> first = ReadPng(dir.File("o.png"));
  ASSERT_TRUE(first.has_value());
  EXPECT_TRUE(ReadPng(dir.File("o-2.png")).has_value());
  // Glyph 3's ink is columns 6 to 15 of row 0: canvas x 26 to 55, y 8 to 10 at zoom 3.
  const auto at = [&](int x, int y) { return first->At(kOverlayMargin + x, kOverlayMargin + y); };
  for (int y = 0; y < 3; ++y) {
    EXPECT_TRUE(at(17, y) == kFaceBox) << y;  // the left edge, just outside the ink
    EXPECT_GT(at(18, y).red, 100) << y;       // the ink itself stays in sight
    EXPECT_TRUE(at(48, y) == kFaceBox) << y;  // the right edge
  }
  EXPECT_TRUE(at(30, -1) == kFaceBox);
  EXPECT_TRUE(at(30, 3) == kFaceBox);
  EXPECT_FALSE(at(16, 1) == kFaceBox);
}

// A picture never takes the place of a file it is drawn from, whatever name leads to it.
TEST(Inspect, APictureIsNeverWrittenOverItsInput) {
  test::TempDir dir;
  test::WriteBytes(dir.File("f.fnt"), "a font");
  std::filesystem::create_symlink("f.fnt", dir.path() / "link.png");
  const std::string picture = test::TgaFile(1, 1, test::Bytes(4, 0xFF));
  test::WriteBytes(dir.File("p.tga"), picture);
  test::WriteBytes(dir.File("s.tks"), "LoadTGA p.tga\n");
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{"--preview", "f.fnt", "f.fnt"}, "'f.fnt' over 'f.fnt'"},
      {{"--render", "link.png", "f.fnt", "A"}, "'link.png' over 'f.fnt'"},
      {{"--overlay", "p.tga", "s.tks"}, "'p.tga' over 'p.tga'"}};
  for (const auto& [args, names] : cases) {
    const test::ToolRun run = test::RunInspect(dir.path(), args);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err,
              "Will not write " + names + ", which it is drawn from: choose another output\n");
  }
  EXPECT_EQ(test::ReadBytes(dir.File("f.fnt")), test::BytesOf("a font"));
  EXPECT_EQ(test::ReadBytes(dir.File("p.tga")), test::BytesOf(picture));
}

}  // namespace
}  // namespace typekiln
