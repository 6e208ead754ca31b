// typekiln-inspect end to end: the built program on fonts that typekiln's own writer makes.

#include <gtest/gtest.h>

#include <filesystem>

#include "test_support.h"
#include "tool/tool.h"
#include "writer/font_writer.h"

namespace typekiln {
namespace {

using test::RunInspect;

// A glyph of the given size whose samples count up from 1, row by row.
Glyph Counting(BuildState& state, int x, int y, int width, int height) {
  test::Bytes alphas;
  for (int i = 0; i < width * height; ++i)
    alphas.push_back(static_cast<std::uint8_t>((i + 1) % 16 << 4));
  return test::MakeGlyph(state, x, y, width, height, 1, alphas);
}

// A font of `count` faces "AB..", each with a shadow one pixel right and down.
BuildState Font(int count) {
  BuildState state;
  for (int i = 0; i < count; ++i) {
    state.faceSet.glyphs[static_cast<std::size_t>(i)] = Counting(state, 10 * i, 0, 3, 2);
    state.shadowSet.glyphs[static_cast<std::size_t>(i)] = Counting(state, 10 * i + 1, 1, 3, 2);
    state.settings.charSet[static_cast<std::size_t>(i)] = static_cast<char>('A' + i);
  }
  state.faceSet.count = state.shadowSet.count = count;
  return state;
}

void Write(const BuildState& state, const std::string& path) {
  test::TestConsole console;
  WriteFontAndReport(state, console.streams, path);
  ASSERT_EQ(console.err.str(), "");
}

TEST(Inspect, ListsTheHeaderAndEveryEntry) {
  test::TempDir dir;
  Write(Font(2), dir.File("two.fnt"));
  const test::ToolRun run = RunInspect(dir.path(), {"two.fnt"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.out,
            "two.fnt: 128 bytes, horizontal, gap 1, space 16, drop 0 0, 2 glyphs\n"
            "                 ------------ face ------------  ----------- shadow -----------  "
            "position\n"
            "entry char   width height top stride   offset  width height top stride   offset   "
            "dx   dy\n"
            "    0 A          3      2   1      8       64      3      2   1      8       96    "
            "1    1\n"
            "    1 B          3      2   1      8       80      3      2   1      8      112    "
            "1    1\n"
            "No problems found.\n");
}

// An entry of the code 0, or of a code an earlier entry has, is one no text reaches.
TEST(Inspect, EntriesNoTextReachesAreProblems) {
  test::TempDir dir;
  BuildState state = Font(4);
  state.settings.charSet[2] = 'A';
  state.settings.charSet[3] = '\0';
  Write(state, dir.File("f.fnt"));
  const test::ToolRun run = RunInspect(dir.path(), {"f.fnt"});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.out.find("2 problems:\n"
                         "  entry 2 has the code 65 ('A'), which entry 0 has before it: no text "
                         "reaches it\n"
                         "  entry 3 has the code 0, which ends a text: no text reaches it\n"),
            std::string::npos)
      << run.out;
}

TEST(Inspect, PrintsAVerticalGlyphUpright) {
  test::TempDir dir;
  BuildState state = Font(1);
  state.settings.orientation = Orientation::Vertical;
  state.shadowSet = GlyphSet{};
  state.settings.charSet[0] = '\n';
  Write(state, dir.File("v.fnt"));
  const test::ToolRun run = RunInspect(dir.path(), {"--glyph", "0", "v.fnt"});
  EXPECT_EQ(run.status, 0);
  EXPECT_NE(run.out.find("    0 \\x0A       2      3   1      8       48      0      0   0      "
                         "0        0    0    0\n"),
            std::string::npos)
      << run.out;
  EXPECT_NE(run.out.find("Entry 0 \\x0A face: 3 x 2\n123\n456\nEntry 0 \\x0A shadow: none\n"),
            std::string::npos)
      << run.out;
}

TEST(Inspect, AProblemIsExitStatusOneAndAnUnreadableFileTwo) {
  test::TempDir dir;
  test::WriteBytes(dir.File("short.fnt"), "TKLN");
  test::ToolRun run = RunInspect(dir.path(), {"short.fnt"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "1 problem:\n  The file is 4 bytes, too short for the 24-byte header\n");

  for (const std::vector<std::string>& args : {std::vector<std::string>{},
                                               {"missing.fnt"},
                                               {"."},
                                               {"short.fnt", "--glyph", "x"},
                                               {"short.fnt", "--glyph", "0"},
                                               {"short.fnt", "--frobnicate"},
                                               {"--diff", "short.fnt"}}) {
    run = RunInspect(dir.path(), args);
    EXPECT_EQ(run.status, 2) << ::testing::PrintToString(args);
    EXPECT_NE(run.err, "");
  }
  run = RunInspect(dir.path(), {"--help"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out.rfind("Usage: typekiln-inspect FONT", 0), 0u);
}

// Each mode takes its own files and options, and nothing else: a mode's option without its
// value, a second mode, an option another mode takes, and a wrong number of files are each
// shown the usage.
TEST(Inspect, EachModeTakesItsOwnArguments) {
  test::TempDir dir;
  Write(Font(1), dir.File("f.fnt"));
  test::WriteBytes(dir.File("s.tks"), "# a script\n");
  const std::vector<std::string> misuses[] = {
      {"--preview"},
      {"f.fnt", "--glyph"},
      {"--diff", "f.fnt", "f.fnt", "--check", "s.tks"},
      {"--check", "s.tks", "--zoom", "2"},
      {"--render", "r.png", "f.fnt", "A", "--zoom", "2"},
      {"--diff", "f.fnt", "f.fnt", "--glyph", "0"},
      {"--check", "s.tks", "s.tks"},
      {"--preview", "p.png", "f.fnt", "f.fnt"},
      {"f.fnt", "f.fnt"},
  };
  for (const std::vector<std::string>& args : misuses) {
    SCOPED_TRACE(::testing::PrintToString(args));
    const test::ToolRun run = RunInspect(dir.path(), args);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find("Usage: typekiln-inspect FONT [--glyph N]\n"), std::string::npos);
  }
  EXPECT_EQ(RunInspect(dir.path(), {"--zoom", "2", "--overlay", "o.png", "s.tks"}).status, 0);
  EXPECT_EQ(RunInspect(dir.path(), {"--glyph", "0", "f.fnt"}).status, 0);
  const test::ToolRun zoom =
      RunInspect(dir.path(), {"--preview", "p.png", "f.fnt", "--zoom", "33"});
  EXPECT_EQ(zoom.err, "--zoom needs a number from 1 to 32, not '33'\n");
}

// What is plainly no font, or a font with nothing in it, is said as such; so is an output that
// cannot be a picture, or a --render without its text.
TEST(Inspect, RefusesWhatIsNoFontAndNamesAnEmptyOne) {
  test::TempDir dir;
  Write(Font(0), dir.File("empty.fnt"));
  test::WriteBytes(dir.File("s.tks"), "# a script\n");
  std::filesystem::create_directory(dir.path() / "out.png");
  test::ToolRun run = RunInspect(dir.path(), {"empty.fnt"});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.out.find(", 0 glyphs\n"), std::string::npos);
  EXPECT_NE(run.out.find("\n1 problem:\n  The font holds no glyphs\n"), std::string::npos)
      << run.out;
  const std::pair<std::vector<std::string>, std::string> refusals[] = {
      {{"s.tks"}, "Not a typekiln font: 's.tks'\n"},
      {{"--diff", "empty.fnt", "s.tks"}, "Not a typekiln font: 's.tks'\n"},
      {{"--render", "a.png", "s.tks", "A"}, "Not a typekiln font: 's.tks'\n"},
      {{"--render", "a.png", "empty.fnt"},
       "--render needs the text to set after the font: typekiln-inspect --render OUT.png FONT "
       "TEXT\n"},
      {{"--preview", "out.png", "empty.fnt"}, "'out.png' is a folder\n"},
      {{"--check", "empty.fnt"},
       "Not a script: 'empty.fnt' is a typekiln font (the script comes first, then the font to "
       "write)\n"}};
  for (const auto& [args, err] : refusals) {
    SCOPED_TRACE(args.back());
    run = RunInspect(dir.path(), args);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, err);
  }
}

TEST(Inspect, DiffFindsWhatChanged) {
  test::TempDir dir;
  Write(Font(2), dir.File("old.fnt"));
  Write(Font(2), dir.File("same.fnt"));
  test::ToolRun run = RunInspect(dir.path(), {"--diff", "old.fnt", "same.fnt"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, "");

  BuildState changed = Font(3);
  changed.settings.gap = 2;
  Glyph& glyph = changed.faceSet.glyphs[1];
  test::Bytes alphas(glyph.coverage.begin(), glyph.coverage.end());
  alphas[4] = 0;
  glyph = test::MakeGlyph(changed, glyph.x, glyph.y, glyph.width, glyph.height, glyph.top, alphas);
  Write(changed, dir.File("new.fnt"));
  run = RunInspect(dir.path(), {"--diff", "old.fnt", "new.fnt"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out,
            "header: glyph count 2 -> 3\n"
            "header: gap 1 -> 2\n"
            "entry 1 B: 1 face sample differs\n"
            "entry 2 C: only in new.fnt\n");
}

TEST(Inspect, TellsItsVersion) {
  test::TempDir dir;
  const test::ToolRun run = RunInspect(dir.path(), {"--version"});
  EXPECT_EQ(run.status, 0);
  // The version, then the libraries built in, with their authors' credit.
  EXPECT_EQ(run.out.substr(0, run.out.find('\n')), "typekiln-inspect " TYPEKILN_VERSION);
  EXPECT_NE(run.out.find("zlib 1."), std::string::npos) << run.out;
}

}  // namespace
}  // namespace typekiln
