// typekiln-inspect --preview, --overlay and --render end to end: the PNGs it writes, decoded
// with libpng and looked at pixel by pixel.

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <map>
#include <string_view>
#include <vector>

#include "inspect/drawing/font_preview.h"
#include "inspect/drawing/overlay.h"
#include "inspect/drawing/png_file.h"
#include "inspect/script_check/script_checker.h"
#include "png_reading.h"
#include "script/script_reader.h"
#include "test_support.h"
#include "tool/tool.h"
#include "writer/font_writer.h"

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
  WriteFontAndReport(state, console.streams, dir.File("f.fnt"));
  const test::ToolRun run =
      test::RunInspect(dir.path(), {"--preview", "p.png", "f.fnt", "--zoom", "4"});
  EXPECT_EQ(run.status, 0) << run.err;
  Preview preview;
  preview.canvas = test::ReadPng(dir.File("p.png")).value_or(Canvas(1, 1, Colour{}));
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
  state.faceSet.glyphs[0] = Row(state, 10, 0, {0xF0});
  state.shadowSet.glyphs[0] =
      Row(state, 10, 0, {0xF0, 0xF0});  // under the face and one to its right
  state.faceSet.count = state.shadowSet.count = 1;
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
  state.faceSet.glyphs[0] =
      Row(state, 0, 0, {0xF0, 0x00, 0xF0, 0xF0});  // drawn across, stored down
  state.faceSet.count = 1;
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
  state.faceSet.glyphs[0] = Row(state, 10, 0, {0xF0, 0x80, 0x40});
  state.shadowSet.glyphs[0] = Row(state, 11, 1, {0xF0});
  state.faceSet.count = state.shadowSet.count = 1;
  state.settings.charSet[0] = 'A';
  test::TestConsole console;
  WriteFontAndReport(state, console.streams, dir.File("h.fnt"));
  state.settings.orientation = Orientation::Vertical;
  WriteFontAndReport(state, console.streams, dir.File("v.fnt"));
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
    const std::optional<Canvas> picture = test::ReadPng(dir.File("t.png"));
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

  // TEXT is UTF-8 when it is valid UTF-8, each character its Latin-1 code; bytes otherwise.
  state.settings.orientation = Orientation::Horizontal;
  state.settings.charSet[0] = '\xE9';
  WriteFontAndReport(state, console.streams, dir.File("e.fnt"));
  // Windows hands a program its command line as Unicode, so a byte that is no UTF-8 reaches it
  // only on Linux.
  std::vector<const char*> texts = {"\xC3\xA9", "\xE2\x82\xAC"};
  if (!test::WindowsTools())
    texts.push_back("\xE9");
  for (const char* text : texts) {
    const test::ToolRun run = test::RunInspect(dir.path(), {"--render", "t.png", "e.fnt", text});
    EXPECT_EQ(run.status, 0) << run.err;
    const std::optional<Canvas> picture = test::ReadPng(dir.File("t.png"));
    ASSERT_TRUE(picture.has_value());
    // The glyph is 3 wide, in a margin of 2; a character without one, the euro sign, draws
    // nothing but the margins.
    EXPECT_EQ(picture->width(), std::string_view(text) == "\xE2\x82\xAC" ? 4 : 7) << text;
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

// p1.tga, 20 x 1: glyphs at columns 0, 2 and 4 and one of 10 columns from 6. p2.tga: opaque.
// The overlay prints the notes --check prints, and fails only on an error.
TEST(Overlay, BoxesFrameTheInkAndTheNotesArePrinted) {
  test::TempDir dir;
  test::Bytes row(20 * 4, 0);
  for (int x : {0, 2, 4, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15})
    row[static_cast<std::size_t>(x * 4 + 3)] = 0xF0;
  test::WriteBytes(dir.File("p1.tga"), test::TgaFile(20, 1, row));
  test::WriteBytes(dir.File("p2.tga"), test::TgaFile(1, 1, test::Bytes(4, 0xFF)));
  test::WriteBytes(dir.File("s.tks"),
                   "CharSet ABCD\nMaxHeight 1\nLoadTGA p1.tga\n[Font]\nGrab 0,0,4\n"
                   "LoadTGA p2.tga\n");
  const test::ToolRun check = test::RunInspect(dir.path(), {"--check", "s.tks"});
  const test::ToolRun run = test::RunInspect(dir.path(), {"--overlay", "o.png", "s.tks"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(check.status, 1);
  EXPECT_EQ(run.out.substr(0, check.out.rfind("2 notes found.\n")),
            check.out.substr(0, check.out.rfind("2 notes found.\n")));
  EXPECT_NE(run.out.find("o.png: 76 x 19\no-2.png: 19 x 19\n"), std::string::npos) << run.out;

  const std::optional<Canvas> first = test::ReadPng(dir.File("o.png"));
  ASSERT_TRUE(first.has_value());
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

// Bands at the ends of the number range are clipped, not overflowed, and a picture wider than
// any overlay may be is drawn a third of its size.
TEST(Overlay, KeepsWithinItsBoundsWhateverTheScriptSays) {
  test::TempDir dir;
  test::Bytes row(16384 * 4, 0);
  row[3] = row[16383 * 4 + 3] = 0xFF;
  test::WriteBytes(dir.File("wide.tga"), test::TgaFile(16384, 1, row));
  test::WriteBytes(dir.File("s.tks"),
                   "LoadTGA wide.tga\n[Font]\nGrab 2147483647,0,1\nGrab -2147483648,0,1\n"
                   "Grab 0,2147483647,1\nGrab 0,-2147483648,1\nMaxHeight 2147483647\n"
                   "Grab 0,-5,2\n");
  const test::ToolRun run = test::RunInspect(dir.path(), {"--overlay", "o.png", "s.tks"});
  EXPECT_EQ(run.status, 1);  // the glyphs past the edges are not found
  EXPECT_NE(run.out.find("o.png: 5478 x 17\n"), std::string::npos) << run.out;
  const std::optional<Canvas> drawn = test::ReadPng(dir.File("o.png"));
  ASSERT_TRUE(drawn.has_value());
  EXPECT_TRUE(drawn->At(kOverlayMargin + 5461, kOverlayMargin) == kPictureInk);
}

// A picture loaded again, unchanged, shares the alpha kept for the overlay.
TEST(OverlayRecorder, KeepsOneAlphaForAPictureLoadedAgain) {
  test::TempDir dir;
  test::WriteBytes(dir.File("a.tga"), test::TgaFile(2, 1, test::Bytes{0, 0, 0, 9, 0, 0, 0, 0}));
  test::WriteBytes(dir.File("b.tga"), test::TgaFile(2, 1, test::Bytes{0, 0, 0, 0, 0, 0, 0, 9}));
  test::WriteBytes(dir.File("s.tks"), "LoadTGA " + dir.File("a.tga") + "\nLoadTGA " +
                                          dir.File("b.tga") + "\nLoadTGA " + dir.File("a.tga") +
                                          "\n");
  test::TestConsole console;
  OverlayRecorder recorder;
  CheckScript(console.streams, dir.File("s.tks"), recorder);
  ASSERT_EQ(recorder.alphas().size(), 3u);
  EXPECT_EQ(recorder.alphas()[0], recorder.alphas()[2]);
  EXPECT_NE(recorder.alphas()[0], recorder.alphas()[1]);
  EXPECT_EQ(recorder.alphas()[1]->cells, (std::vector<std::uint8_t>{0, 9}));
}

// The recorder and the overlay read the picture's rows through caches of their own, far past
// the bands the grabber reads: the run they watch must make the same glyphs as a run unwatched.
TEST(OverlayRecorder, WatchingARunChangesNothing) {
  test::TempDir dir;
  test::Bytes body;
  for (int y = 0; y < 600; ++y) {
    for (int x = 0; x < 12; ++x) {
      const std::uint8_t alpha = (y / 4) % 2 == 0 && x % 3 != 2 ? 0xFF : 0;
      body.insert(body.end(), {0, 0, 0, alpha});
    }
  }
  test::WriteBytes(dir.File("p.tga"), test::TgaFile(12, 600, body));  // raw, bottom row first
  std::string script = "LoadTGA " + dir.File("p.tga") + "\nMaxHeight 3\n[Font]\n";
  for (int y : {590, 2, 300, 2, 7}) script += "Grab 0," + std::to_string(y) + ",4\n";
  script += "[Shadow]\nMaxHeight 8\nGrab 0,296,4\nGrab 0,0,4\n";
  test::WriteBytes(dir.File("s.tks"), script);

  std::vector<test::Bytes> fonts;
  for (const bool watched : {false, true}) {
    BuildState state;
    OverlayRecorder recorder;
    state.observer = watched ? &recorder : nullptr;
    test::TestConsole console;
    ASSERT_TRUE(RunScript(state, console.streams, dir.File("s.tks").c_str()));
    EXPECT_EQ(state.faceSet.count, 20);
    EXPECT_EQ(recorder.findings().pictures.size(), watched ? 1u : 0u);
    fonts.emplace_back();
    EmitFont(state, LayOutFont(state), [&](std::span<const std::uint8_t> piece) {
      fonts.back().insert(fonts.back().end(), piece.begin(), piece.end());
    });
  }
  EXPECT_EQ(fonts[0], fonts[1]);
}

// A line whose ends lie far outside is stepped through only where it crosses the canvas, and
// lands on the pixels the same line drawn from edge to edge would.
TEST(Canvas, ClipsALineFromFarOutside) {
  constexpr std::int64_t kFar = std::int64_t{1} << 36;
  const Colour ink{255, 0, 0};
  Canvas far(10, 10, Colour{});
  Canvas near(10, 10, Colour{});
  far.Line(-kFar, -kFar, kFar, kFar, ink);
  near.Line(0, 0, 9, 9, ink);
  far.Line(-kFar, 5, kFar, 5, ink);
  near.Line(0, 5, 9, 5, ink);
  far.Line(3, -kFar, 3, -kFar + 1, ink);  // wholly outside
  EXPECT_EQ(far.rgba(), near.rgba());
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

  // Nor over any file but a PNG: the picture's name and the font's swapped, or a sheet named.
  const test::ToolRun swapped = test::RunInspect(dir.path(), {"--render", "s.tks", "f.fnt", "A"});
  EXPECT_EQ(swapped.status, 2);
  EXPECT_EQ(swapped.err, "Will not write the picture over 's.tks', which is not a PNG\n");
  EXPECT_EQ(test::RunInspect(dir.path(), {"--preview", "p.tga", "f.fnt"}).err,
            "Will not write the picture over 'p.tga', which is not a PNG\n");
  EXPECT_EQ(test::ReadBytes(dir.File("s.tks")), test::BytesOf("LoadTGA p.tga\n"));
  EXPECT_EQ(test::ReadBytes(dir.File("p.tga")), test::BytesOf(picture));
}

}  // namespace
}  // namespace typekiln
