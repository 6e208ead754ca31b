#include "glyph/grabber.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "test_support.h"

namespace typekiln {
namespace {

// A picture drawn as text, one string per row: '.' is empty, '#' full ink, a digit d ink with
// alpha d * 0x11, and 'c' a coloured pixel with alpha 0.
Picture Drawn(const std::vector<std::string>& rows) {
  Picture image;
  image.width = static_cast<std::int32_t>(rows[0].size());
  image.height = static_cast<std::int32_t>(rows.size());
  image.topRowFirst = true;
  for (const std::string& row : rows) {
    for (char c : row) {
      const std::uint8_t alpha = c == '#' ? 0xFF : c >= '0' && c <= '9' ? (c - '0') * 0x11 : 0;
      const std::uint8_t red = c == 'c' ? 9 : 0;
      image.decoded.insert(image.decoded.end(), {0, 0, red, alpha});  // as a file holds it
    }
  }
  return image;
}

std::string Errors(BuildState& state, const std::vector<std::string>& lines) {
  return test::RunLines(state, lines).err;
}

struct Box {
  int x, y, width, height, top;
  bool operator==(const Box&) const = default;
};

std::vector<Box> Boxes(const GlyphSet& set) {
  std::vector<Box> boxes;
  for (int i = 0; i < set.count; ++i) {
    const Glyph& g = set.glyphs[static_cast<std::size_t>(i)];
    boxes.push_back({g.x, g.y, g.width, g.height, g.top});
  }
  return boxes;
}

TEST(Grabber, CutsEachGlyphAtItsInkBox) {
  BuildState state;
  state.picture = Drawn({"....#.",  //
                         ".##...",  //
                         "..#...",  //
                         "....#."});
  state.settings.maxHeight = 4;
  EXPECT_EQ(Errors(state, {"[Font]", "Grab 0,0,2"}), "");
  EXPECT_EQ(Boxes(state.faceSet), (std::vector<Box>{{1, 0, 2, 2, 1}, {4, 0, 1, 4, 0}}));
  EXPECT_EQ(state.cursor.x, 5);
  EXPECT_EQ(state.widest, 2);
  EXPECT_EQ(state.highest, 4);
}

TEST(Grabber, StrokesSplitByAnEmptyColumnAreTwoGlyphsAndColourWithoutAlphaIsInk) {
  BuildState state;
  state.picture = Drawn({"........",  //
                         ".#.#..c7",  //
                         ".#.#...5",  //
                         "........",  //
                         "........"});
  state.settings.maxHeight = 5;
  EXPECT_EQ(Errors(state, {"[Shadow]", "Grab 0,0,3"}), "");
  EXPECT_EQ(Boxes(state.shadowSet),
            (std::vector<Box>{{1, 0, 1, 2, 1}, {3, 0, 1, 2, 1}, {6, 0, 2, 2, 1}}));
  // Only alpha is kept: the coloured pixel is stored as nothing.
  const Glyph& last = state.shadowSet.glyphs[2];
  EXPECT_EQ(std::vector(last.coverage.begin(), last.coverage.end()),
            (std::vector<std::uint8_t>{0, 0x77, 0, 0x55}));
}

TEST(Grabber, TwoGrabsInOneBandStartAtTheirOwnColumns) {
  BuildState state;
  state.picture = Drawn({"#.#.#.#", "#.#.#.#"});
  EXPECT_EQ(Errors(state, {"[Font]", "Grab 4,0,1", "Grab 1,0,2", "MaxHeight 1", "Grab 0,1,1"}), "");
  EXPECT_EQ(Boxes(state.faceSet),
            (std::vector<Box>{{4, 0, 1, 2, 0}, {2, 0, 1, 2, 0}, {4, 0, 1, 2, 0}, {0, 1, 1, 1, 0}}));
}

TEST(Grabber, StaysInsideThePicture) {
  BuildState state;
  state.picture = Drawn({"..##", "..##", ".#.."});
  // Bands that hang over the edges, a glyph that touches the right edge, a huge band.
  EXPECT_EQ(Errors(state, {"[Font]", "MaxHeight 2147483647", "Grab -2147483648,-5,1", "MaxHeight 3",
                           "Grab 2,-1,1", "Grab 0,2,1"}),
            "");
  EXPECT_EQ(Boxes(state.faceSet), (std::vector<Box>{{1, -5, 3, 3, 5},  //
                                                    {2, -1, 2, 2, 1},
                                                    {1, 2, 1, 1, 0}}));
  const std::string notFound = "Glyph not found at following line:\n";
  for (const char* line : {"Grab 4,0,1", "Grab 0,3,1", "Grab 0,-3,1", "Grab 2147483647,0,1"}) {
    SCOPED_TRACE(line);
    EXPECT_EQ(Errors(state, {line}), notFound + line + "\n");
  }
  EXPECT_EQ(Errors(state, {"MaxHeight 0", "Grab 0,0,1"}), notFound + "Grab 0,0,1\n");
  EXPECT_EQ(state.faceSet.count, 3);
}

TEST(Grabber, AGrabThatCannotFinishKeepsWhatItGrabbed) {
  BuildState state;
  EXPECT_EQ(Errors(state, {"Grab 0,0,1"}), "Unknown state at following line:\nGrab 0,0,1\n");
  EXPECT_EQ(Errors(state, {"[Font]", "Grab 0,0,1", "Grab 0,0,0"}),
            "No picture to grab from at following line:\nGrab 0,0,1\n");
  EXPECT_EQ(Errors(state, {"Grab 1,2"}), "Missing value at following line:\nGrab 1,2\n");
  EXPECT_EQ(state.cursor.x, 0);

  state.picture = Drawn({"#.#.#"});
  EXPECT_EQ(Errors(state, {"Grab 0,0,5"}), "Glyph not found at following line:\nGrab 0,0,5\n");
  EXPECT_EQ(state.faceSet.count, 3);
  state.faceSet.count = kMaxGlyphs - 1;
  EXPECT_EQ(Errors(state, {"Grab 0,0,2147483647"}),
            "Too many glyphs at following line:\nGrab 0,0,2147483647\n");
  EXPECT_EQ(state.faceSet.count, kMaxGlyphs);
}

// Three rows of glyphs, each row a different pattern, stored bottom row first, top row first and
// run-length encoded: a grab in the middle band reads the same pixels from each.
TEST(Grabber, ReadsItsBandFromAnyKindOfFile) {
  const Picture upright = Drawn({"#..#", ".#.#", "##.3"});
  const test::Bytes topFirst(upright.decoded.begin(), upright.decoded.end());
  const Picture flipped = Drawn({"##.3", ".#.#", "#..#"});
  const test::Bytes bottomFirst(flipped.decoded.begin(), flipped.decoded.end());
  test::Bytes runs = bottomFirst;
  runs.insert(runs.begin(), 11);  // one literal packet of all 12 pixels
  test::TempDir dir;
  test::WriteBytes(dir.File("bottom.tga"), test::TgaFile(4, 3, bottomFirst));
  test::WriteBytes(dir.File("top.tga"), test::TgaFile(4, 3, topFirst, 2, 0x28));
  test::WriteBytes(dir.File("runs.tga"), test::TgaFile(4, 3, runs, 10));
  for (const char* name : {"bottom.tga", "top.tga", "runs.tga"}) {
    SCOPED_TRACE(name);
    BuildState state;
    EXPECT_EQ(Errors(state, {"LoadTGA " + dir.File(name), "MaxHeight 1", "[Font]", "Grab 0,1,2",
                             "MaxHeight 2", "Grab 2,1,1"}),
              "");
    EXPECT_EQ(Boxes(state.faceSet),
              (std::vector<Box>{{1, 1, 1, 1, 0}, {3, 1, 1, 1, 0}, {3, 1, 1, 2, 0}}));
    const std::span<const std::uint8_t> last = state.faceSet.glyphs[2].coverage;
    EXPECT_EQ(std::vector(last.begin(), last.end()), (std::vector<std::uint8_t>{0xFF, 0x33}));
  }
}

// The rows a grab read from one raw picture are never taken for those of the next one loaded,
// even of the same size and at the same place.
TEST(Grabber, ReadsEachLoadedPictureAfresh) {
  const Picture first = Drawn({"#...", "#..."});
  const Picture second = Drawn({"..##", "..##"});
  test::TempDir dir;
  test::WriteBytes(dir.File("a.tga"),
                   test::TgaFile(4, 2, test::Bytes(first.decoded.begin(), first.decoded.end())));
  test::WriteBytes(dir.File("b.tga"),
                   test::TgaFile(4, 2, test::Bytes(second.decoded.begin(), second.decoded.end())));
  BuildState state;
  EXPECT_EQ(Errors(state, {"[Font]", "LoadTGA " + dir.File("a.tga"), "Grab 0,0,1",
                           "LoadTGA " + dir.File("b.tga"), "Grab 0,0,1",
                           "LoadTGA " + dir.File("a.tga"), "Grab 0,0,1"}),
            "");
  EXPECT_EQ(Boxes(state.faceSet),
            (std::vector<Box>{{0, 0, 1, 2, 0}, {2, 0, 2, 2, 0}, {0, 0, 1, 2, 0}}));
}

// A full glyph store, and a band too large to read at once, each stop the grab with a message.
TEST(Grabber, MemoryHasBounds) {
  BuildState state;
  state.picture = Drawn({"#.#"});
  ASSERT_NE(state.glyphStore.Allocate(GlyphStore::kLimit - 1), nullptr);
  EXPECT_EQ(Errors(state, {"[Font]", "Grab 0,0,2"}),
            "Not enough memory for the glyph at following line:\nGrab 0,0,2\n");
  EXPECT_EQ(state.faceSet.count, 1);

  // 65535 x 4097 pixels, more than a band may hold; the file is sparse.
  test::TempDir dir;
  const std::string path = dir.File("wide.tga");
  test::WriteBytes(path, test::TgaFile(65535, 4097, {}));
  std::filesystem::resize_file(path, 18 + std::uintmax_t{65535} * 4097 * 4);
  EXPECT_EQ(Errors(state, {"LoadTGA " + path, "MaxHeight 4097", "Grab 0,0,1"}),
            "'" + path + "' is too large to hold in memory\n");
}

}  // namespace
}  // namespace typekiln
