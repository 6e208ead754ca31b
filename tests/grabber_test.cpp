#include "glyph/grabber.h"

#include <gtest/gtest.h>

#include "test_support.h"

namespace typekiln {
namespace {

// A picture drawn as text, one string per row: '.' is empty, '#' full ink, a digit d ink with
// alpha d * 0x11, and 'c' a coloured pixel with alpha 0.
Image Picture(const std::vector<std::string>& rows) {
  Image image;
  image.width = static_cast<std::int32_t>(rows[0].size());
  image.height = static_cast<std::int32_t>(rows.size());
  for (const std::string& row : rows) {
    for (char c : row) {
      const std::uint8_t alpha = c == '#' ? 0xFF : c >= '0' && c <= '9' ? (c - '0') * 0x11 : 0;
      image.pixels.push_back(Pixel{c == 'c' ? std::uint8_t{9} : std::uint8_t{0}, 0, 0, alpha});
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
  state.image = Picture({"....#.",  //
                         ".##...",  //
                         "..#...",  //
                         "....#."});
  state.settings.maxHeight = 4;
  EXPECT_EQ(Errors(state, {"[Font]", "Grab 0,0,2"}), "");
  EXPECT_EQ(Boxes(state.fontSet), (std::vector<Box>{{1, 0, 2, 2, 1}, {4, 0, 1, 4, 0}}));
  EXPECT_EQ(state.cursor.x, 5);
  EXPECT_EQ(state.widest, 2);
  EXPECT_EQ(state.highest, 4);
}

TEST(Grabber, StrokesSplitByAnEmptyColumnAreTwoGlyphsAndColourWithoutAlphaIsInk) {
  BuildState state;
  state.image = Picture({"........",  //
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
  ASSERT_EQ(last.pixels.size(), 4u);
  EXPECT_EQ(last.pixels[0].red, 0);
  EXPECT_EQ(last.pixels[0].alpha, 0);
  EXPECT_EQ(last.pixels[1].alpha, 0x77);
  EXPECT_EQ(last.pixels[3].alpha, 0x55);
}

TEST(Grabber, TwoGrabsInOneBandStartAtTheirOwnColumns) {
  BuildState state;
  state.image = Picture({"#.#.#.#", "#.#.#.#"});
  EXPECT_EQ(Errors(state, {"[Font]", "Grab 4,0,1", "Grab 1,0,2", "MaxHeight 1", "Grab 0,1,1"}), "");
  EXPECT_EQ(Boxes(state.fontSet),
            (std::vector<Box>{{4, 0, 1, 2, 0}, {2, 0, 1, 2, 0}, {4, 0, 1, 2, 0}, {0, 1, 1, 1, 0}}));
}

TEST(Grabber, StaysInsideThePicture) {
  BuildState state;
  state.image = Picture({"..##", "..##", ".#.."});
  // Bands that hang over the edges, a glyph that touches the right edge, a huge band.
  EXPECT_EQ(Errors(state, {"[Font]", "MaxHeight 2147483647", "Grab -2147483648,-5,1", "MaxHeight 3",
                           "Grab 2,-1,1", "Grab 0,2,1"}),
            "");
  EXPECT_EQ(Boxes(state.fontSet), (std::vector<Box>{{1, -5, 3, 3, 5},  //
                                                    {2, -1, 2, 2, 1},
                                                    {1, 2, 1, 1, 0}}));
  const std::string notFound = "Glyph not found at following line:\n";
  for (const char* line : {"Grab 4,0,1", "Grab 0,3,1", "Grab 0,-3,1", "Grab 2147483647,0,1"}) {
    SCOPED_TRACE(line);
    EXPECT_EQ(Errors(state, {line}), notFound + line + "\n");
  }
  EXPECT_EQ(Errors(state, {"MaxHeight 0", "Grab 0,0,1"}), notFound + "Grab 0,0,1\n");
  EXPECT_EQ(state.fontSet.count, 3);
}

TEST(Grabber, AGrabThatCannotFinishKeepsWhatItGrabbed) {
  BuildState state;
  EXPECT_EQ(Errors(state, {"Grab 0,0,1"}), "Unknown state at following line:\nGrab 0,0,1\n");
  EXPECT_EQ(Errors(state, {"[Font]", "Grab 0,0,1", "Grab 0,0,0"}),
            "No picture to grab from at following line:\nGrab 0,0,1\n");
  EXPECT_EQ(Errors(state, {"Grab 1,2"}), "Missing value at following line:\nGrab 1,2\n");
  EXPECT_EQ(state.cursor.x, 0);

  state.image = Picture({"#.#.#"});
  EXPECT_EQ(Errors(state, {"Grab 0,0,5"}), "Glyph not found at following line:\nGrab 0,0,5\n");
  EXPECT_EQ(state.fontSet.count, 3);
  state.fontSet.count = kMaxGlyphs - 1;
  EXPECT_EQ(Errors(state, {"Grab 0,0,2147483647"}),
            "Too many glyphs at following line:\nGrab 0,0,2147483647\n");
  EXPECT_EQ(state.fontSet.count, kMaxGlyphs);
}

}  // namespace
}  // namespace typekiln
