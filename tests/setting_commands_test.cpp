#include "script/setting_commands.h"

#include <gtest/gtest.h>

#include "test_support.h"

namespace typekiln {
namespace {

TEST(SettingCommands, OneByteValuesKeepTheirLowEightBits) {
  struct Case {
    const char* line;
    std::uint8_t gap, space, dropX, dropY;
    const char* echo;
  };
  const Case cases[] = {
      {"Gap -1", 0xFF, 16, 0, 0, "Gap = -1\n"},   {"Gap 200", 200, 16, 0, 0, "Gap = -56\n"},
      {"gap 3px", 3, 16, 0, 0, "Gap = 3\n"},      {"Space 300", 1, 44, 0, 0, "Space = 44\n"},
      {"Drop 2, 3", 1, 16, 2, 3, "Drop = 2x3\n"}, {"Drop -1,1", 1, 16, 0xFF, 1, "Drop = -1x1\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    BuildState state;
    state.verbose = true;
    EXPECT_EQ(test::RunLines(state, {c.line}).out, c.echo);
    EXPECT_EQ(state.settings.gap, c.gap);
    EXPECT_EQ(state.settings.space, c.space);
    EXPECT_EQ(state.settings.dropX, c.dropX);
    EXPECT_EQ(state.settings.dropY, c.dropY);
  }
}

TEST(SettingCommands, ALineWithoutItsValuesChangesNothing) {
  for (const char* line : {"Gap", "Gap x", "Space", "Drop 3", "Drop 3 ,4", "Drop 3,", "LoadTGA"}) {
    SCOPED_TRACE(line);
    BuildState state;
    state.verbose = true;
    state.picture.width = 7;
    state.picture.decoded.assign(1, 0);
    const test::Echoes echoes = test::RunLines(state, {line});
    EXPECT_EQ(echoes.out, "");
    EXPECT_EQ(echoes.err, std::string("Missing value at following line:\n") + line + "\n");
    EXPECT_EQ(state.settings.gap, 1);
    EXPECT_EQ(state.settings.space, 16);
    EXPECT_EQ(state.settings.dropX, 0);
    EXPECT_EQ(state.picture.width, 7);
    EXPECT_EQ(state.picture.decoded.size(), 1u);
  }
  // These two keep their value without a message, and MaxHeight still echoes it.
  BuildState state;
  state.verbose = true;
  const test::Echoes echoes =
      test::RunLines(state, {"MaxHeight 20", "MaxHeight", "CharSet AB", "CharSet"});
  EXPECT_EQ(echoes.out, "MaxHeight = 20\nMaxHeight = 20\nCharSet = AB\nCharSet = AB\n");
  EXPECT_EQ(echoes.err, "");
}

TEST(SettingCommands, ReportTogglesTheEchoes) {
  BuildState state;
  EXPECT_EQ(test::RunLines(state, {"Gap 2", "Report", "Type Vertical", "Type hor", "Space 5",
                                   "Drop 1,2", "MaxHeight 9", "CharSet abc", "Report", "Gap 3"})
                .out,
            "Vertical type\nHorizontal type\nSpace = 5\nDrop = 1x2\nMaxHeight = 9\n"
            "CharSet = abc\n");
  EXPECT_FALSE(state.verbose);
  EXPECT_EQ(state.settings.gap, 3);
}

TEST(SettingCommands, TypeLooksAtTheFirstThreeLettersOnly) {
  BuildState state;
  test::RunLines(state, {"Type vertical"});
  EXPECT_EQ(state.settings.orientation, Orientation::Vertical);
  EXPECT_EQ(test::RunLines(state, {"Type Ho", "Type", "TYPE HORIZ"}).err,
            "Unknown type at line\nType Ho\nUnknown type at line\nType\n");
  EXPECT_EQ(state.settings.orientation, Orientation::Horizontal);
}

TEST(SettingCommands, ALaterShorterCharSetLeavesTheOlderBytesBehindItsEnd) {
  BuildState state;
  test::RunLines(state, {"CharSet ABCD", "CharSet XY"});
  EXPECT_EQ(std::string(state.settings.charSet.data(), 5), std::string("XY\0D\0", 5));
}

}  // namespace
}  // namespace typekiln
