// End to end: the built typekiln run on scripts made here, in a fresh folder, with its standard
// input given and never the terminal.

#include <gtest/gtest.h>

#include <filesystem>

#include "test_support.h"

namespace typekiln {
namespace {

using test::Hex;
using test::RunTypekiln;

const char kUsage[] = "Usage: TYPEKILN <Script file> <Output file>\n";
const char kDefaultFont[] = "544b4c4e 515a3721 4e363421 00000001 00 00 01 10 00 00 00 00";

TEST(Cli, WithoutTwoArgumentsItPrintsTheUsageAndWritesNothing) {
  test::TempDir dir;
  test::WriteBytes(dir.File("script.tks"), "# nothing\n");
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{}, std::vector<std::string>{"script.tks"}}) {
    const test::ToolRun run = RunTypekiln(dir.path(), args, "\n");
    EXPECT_EQ(run.status, 255);
    EXPECT_EQ(run.err, kUsage);
    EXPECT_EQ(run.out, "");
  }
  EXPECT_EQ(test::FolderEntries(dir.path()), std::vector<std::string>{"script.tks"});
}

TEST(Cli, AScriptOfCommentsYieldsAnEmptyFont) {
  test::TempDir dir;
  test::WriteBytes(dir.File("script.tks"), "# A font with no glyphs yet\n\n   \t\n# done");
  const test::ToolRun run = RunTypekiln(dir.path(), {"script.tks", "out.fnt", "ignored"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(test::ReadBytes(dir.File("out.fnt")), Hex(kDefaultFont));
}

TEST(Cli, AMissingScriptStillYieldsAFontAndFails) {
  test::TempDir dir;
  const test::ToolRun run = RunTypekiln(dir.path(), {"missing.tks", "out.fnt"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "Cannot open: 'missing.tks'\n");
  EXPECT_EQ(test::ReadBytes(dir.File("out.fnt")), Hex(kDefaultFont));
}

TEST(Cli, AnOutputThatCannotBeWrittenFails) {
  test::TempDir dir;
  test::WriteBytes(dir.File("script.tks"), "");
  test::ToolRun run = RunTypekiln(dir.path(), {"script.tks", "/dev/full"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "Cannot write: '/dev/full'\n");

  run = RunTypekiln(dir.path(), {"script.tks", "no/such/out.fnt"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "Cannot create: 'no/such/out.fnt'\n");
}

TEST(Cli, TheFontCanGoToStandardOutput) {
  test::TempDir dir;
  test::WriteBytes(dir.File("script.tks"), "\n");
  const test::ToolRun run = RunTypekiln(dir.path(), {"script.tks", "/dev/stdout"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(test::BytesOf(run.out), Hex(kDefaultFont));
}

TEST(Cli, TheExampleBuilds) {
  test::TempDir dir;
  const std::filesystem::path examples = std::filesystem::path(TYPEKILN_SOURCE_DIR) / "examples";
  const std::string out = dir.File("example.fnt");
  const test::ToolRun run = RunTypekiln(examples, {"example.tks", out});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, "");
  EXPECT_GE(test::ReadBytes(out).size(), 24u);
}

}  // namespace
}  // namespace typekiln
