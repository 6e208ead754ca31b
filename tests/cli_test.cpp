// End to end: the built typekiln run on scripts made here, in a fresh folder, with its standard
// input given and never the terminal.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <filesystem>
#include <thread>
#include <tuple>

#include "picture/picture_rows.h"
#include "picture/tga_picture.h"
#include "test_support.h"

namespace typekiln {
namespace {

using test::Hex;
using test::RunTypekiln;

const char kUsage[] = "Usage: TYPEKILN <Script file> <Output file>\n";
const char kDefaultFont[] = "544b4c4e 515a3721 4e363421 00000001 00 00 01 10 00 00 00 00";

// A picture of `width` x `height` empty pixels except for the given alphas, stored bottom row
// first; each (x, y, alpha) counts y from the top.
std::string PictureWith(int width, int height, const std::vector<std::array<int, 3>>& inks) {
  test::Bytes pixels(static_cast<std::size_t>(width * height * 4), 0);
  for (const auto& [x, y, alpha] : inks)
    pixels[static_cast<std::size_t>(((height - 1 - y) * width + x) * 4 + 3)] =
        static_cast<std::uint8_t>(alpha);
  return test::TgaFile(width, height, pixels);
}

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

// The slips of a shell: a mistyped script, the two paths swapped, the script or a picture named
// as the output. Each fails, and the file it would have lost is as it was, byte for byte.
TEST(Cli, ASlipNeverDestroysAFile) {
  test::TempDir dir;
  std::filesystem::create_directory(dir.path() / "art");
  test::WriteBytes(dir.File("art/p.tga"), PictureWith(2, 1, {{0, 0, 0xFF}}));
  test::WriteBytes(dir.File("rgb.tga"), test::TgaFile(1, 1, test::Bytes(3, 0xFF), 2, 0, 24));
  test::WriteBytes(dir.File("s.tks"),
                   "CharSet A\nLoadTGA rgb.tga\nLoadTGA art/p.tga\n"
                   "[Font]\nGrab 0,0,1\n");
  ASSERT_EQ(RunTypekiln(dir.path(), {"s.tks", "good.fnt"}).status, 1);  // rgb.tga is 24-bit
  std::filesystem::create_symlink("s.tks", dir.path() / "link.fnt");
  test::WriteBytes(dir.File("notes.txt"), "the artist's notes");
  test::WriteBytes(dir.File("bmfont.fnt"), "info face=\"Other\" size=12\ncommon base=10\n");
  const std::string rgbError = "'rgb.tga' is not 32bpp!\n";
  const std::string fontFirst =
      "Not a script: 'good.fnt' is a typekiln font (the script comes first, then the font to "
      "write)\n";
  const struct {
    std::vector<std::string> args;
    std::string err;
  } slips[] = {
      {{"fnot.tks", "good.fnt"}, "Cannot open: 'fnot.tks'\n"},
      {{"good.fnt", "s.tks"}, fontFirst},
      {{"s.tks", "s.tks"},
       rgbError + "Will not write the font over 's.tks', which the script reads\n"},
      {{"s.tks", "./link.fnt"},
       rgbError + "Will not write the font over './link.fnt', which the script reads\n"},
      {{"s.tks", "art/p.tga"},
       rgbError + "Will not write the font over 'art/p.tga', which the script reads\n"},
      {{"s.tks", "rgb.tga"},
       rgbError + "Will not write the font over 'rgb.tga', which the script reads\n"},
      {{"s.tks", "notes.txt"},
       rgbError + "Will not write the font over 'notes.txt', which is not a typekiln font\n"},
      {{"s.tks", "bmfont.fnt"},
       rgbError + "Will not write the font over 'bmfont.fnt', which is not a typekiln font\n"},
  };
  const std::vector<std::string> files = test::FolderEntries(dir.path());
  const auto before = [&] {
    std::vector<test::Bytes> contents;
    for (const char* file :
         {"s.tks", "good.fnt", "art/p.tga", "rgb.tga", "notes.txt", "bmfont.fnt"})
      contents.push_back(test::ReadBytes(dir.File(file)));
    return contents;
  };
  const std::vector<test::Bytes> kept = before();
  for (const auto& slip : slips) {
    SCOPED_TRACE(slip.args[0] + " " + slip.args[1]);
    const test::ToolRun run = RunTypekiln(dir.path(), slip.args);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, slip.err);
    EXPECT_EQ(before(), kept);
    EXPECT_EQ(test::FolderEntries(dir.path()), files);
  }
}

// A script run from another folder finds the pictures beside it, unless the folder typekiln runs in
// has them; a picture found so is never written over either.
TEST(Cli, PicturesAreFoundBesideTheScript) {
  test::TempDir dir;
  std::filesystem::create_directory(dir.path() / "set");
  test::WriteBytes(dir.File("set/p.tga"), PictureWith(3, 1, {{0, 0, 0xFF}, {1, 0, 0xFF}}));
  test::WriteBytes(dir.File("set/s.tks"), "LoadTGA p.tga\n[Font]\nGrab 0,0,1\n");
  const auto built = [&] { return test::ReadBytes(dir.File("set/out.fnt")); };
  test::ToolRun run = RunTypekiln(dir.path(), {"set/s.tks", "set/out.fnt"});
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(built().at(24 + 4), 2);  // the glyph is 2 wide
  test::WriteBytes(dir.File("p.tga"), PictureWith(1, 1, {{0, 0, 0xFF}}));
  run = RunTypekiln(dir.path(), {"set/s.tks", "set/out.fnt"});
  EXPECT_EQ(built().at(24 + 4), 1);  // the one where typekiln runs
  std::filesystem::remove(dir.path() / "p.tga");
  run = RunTypekiln(dir.path(), {"set/s.tks", "set/p.tga"});
  EXPECT_EQ(run.err, "Will not write the font over 'set/p.tga', which the script reads\n");
  test::WriteBytes(dir.File("set/s.tks"), "LoadTGA q.tga\n");
  run = RunTypekiln(dir.path(), {"set/s.tks", "set/out.fnt"});
  EXPECT_EQ(run.err, "Cannot open: 'q.tga'\n");
}

// --help and --version alone answer on standard output; anything else alone is the usage error.
TEST(Cli, TellsItsUsageAndVersion) {
  test::TempDir dir;
  test::ToolRun run = RunTypekiln(dir.path(), {"--help"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.out.rfind("Usage: TYPEKILN <Script file> <Output file>\n  <Script file>  ", 0), 0u);
  EXPECT_NE(run.out.find("typekiln-inspect --check <Script file>"), std::string::npos);
  EXPECT_NE(run.out.find("man typekiln\n"), std::string::npos);
  run = RunTypekiln(dir.path(), {"--version"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out.substr(0, run.out.find('\n')), "typekiln " TYPEKILN_VERSION);
  EXPECT_NE(run.out.find("libspng 0."), std::string::npos) << run.out;
  run = RunTypekiln(dir.path(), {"-h"});
  EXPECT_EQ(run.status, 255);
  EXPECT_EQ(run.err, kUsage);
  EXPECT_TRUE(test::FolderEntries(dir.path()).empty());
}

// At a terminal the errors wait once, after the last message, and say so; Enter goes on.
TEST(Cli, AtATerminalTheWaitSaysSo) {
  const int terminal = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
  ASSERT_GE(terminal, 0);
  ASSERT_EQ(grantpt(terminal), 0);
  ASSERT_EQ(unlockpt(terminal), 0);
  const int keyboard = open(ptsname(terminal), O_RDWR | O_NOCTTY);
  ASSERT_GE(keyboard, 0);
  // Enter (a CR, as the key sends it) is pressed again and again while the tool runs: wine
  // takes the terminal over as it starts, dropping whatever was typed before.
  std::jthread typist([terminal](std::stop_token stop) {
    while (!stop.stop_requested()) {
      (void)!write(terminal, "\r", 1);
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
  });
  test::TempDir dir;
  test::WriteBytes(dir.File("s.tks"), "LoadTGA missing.tga\n[Font]\nGrab 0,0,1\n");
  const test::ToolRun run =
      test::RunProgram(test::TypekilnBinary(), dir.path(), {"s.tks", "out.fnt"}, "", false,
                       [&] { dup2(keyboard, 0); });
  typist.request_stop();
  typist.join();
  close(keyboard);
  close(terminal);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err,
            "Cannot open: 'missing.tga'\n"
            "No picture to grab from at following line:\nGrab 0,0,1\nPress Enter to go on.\n");
}

// A device takes the font as it comes: nothing is made beside it.
TEST(Cli, ADeviceIsWrittenStraightInto) {
  test::TempDir dir;
  test::WriteBytes(dir.File("script.tks"), "");
  const char* device = test::WindowsTools() ? "NUL" : "/dev/null";
  const test::ToolRun run = RunTypekiln(dir.path(), {"script.tks", device});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(test::FolderEntries(dir.path()), std::vector<std::string>{"script.tks"});
}

// On Windows, a path may part its folders with \ as well as /, and start with a drive. The
// temporary goes beside the font in the font's own folder, which any old font there leaves.
TEST(Cli, WindowsPathsNameTheirFolders) {
  if (!test::WindowsTools())
    GTEST_SKIP() << "backslashes and drive letters part paths on Windows only";
  test::TempDir dir;
  std::filesystem::create_directory(dir.path() / "art");
  std::filesystem::create_directory(dir.path() / "fonts");
  test::WriteBytes(dir.File("art/p.tga"), test::TgaFile(1, 1, {0, 0, 0, 0xFF}));
  test::WriteBytes(dir.File("s.tks"), "LoadTGA art\\p.tga\n[Font]\nGrab 0,0,1\n");
  test::WriteBytes(dir.File("t.tks"), "LoadTGA art/p.tga\n[Font]\nGrab 0,0,1\n");
  test::WriteBytes(dir.File("fonts/a.fnt"), "TKLNQZ7!N64! old font");
  std::string folder = dir.path().string();
  std::replace(folder.begin(), folder.end(), '/', '\\');
  for (const std::string& output : {std::string("fonts\\a.fnt"), "Z:" + folder + "\\fonts\\b.fnt",
                                    std::string("fonts/c.fnt")}) {
    SCOPED_TRACE(output);
    // The same script with / for \\, since Linux reads the font back.
    const bool readBack = output.ends_with("c.fnt");
    const test::ToolRun run = RunTypekiln(dir.path(), {readBack ? "t.tks" : "s.tks", output});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
  }
  EXPECT_EQ(test::FolderEntries(dir.path() / "fonts"),
            (std::vector<std::string>{"a.fnt", "b.fnt", "c.fnt"}));
  // c.fnt read back as its script's build state; the others are the same font.
  EXPECT_EQ(test::ReadBytes(dir.File("fonts/a.fnt")), test::ReadBytes(dir.File("fonts/c.fnt")));
  EXPECT_EQ(test::ReadBytes(dir.File("fonts/b.fnt")), test::ReadBytes(dir.File("fonts/c.fnt")));
  EXPECT_EQ(RunTypekiln(dir.path(), {"s.tks", "missing\\c.fnt"}).err,
            "Cannot create: 'missing\\c.fnt'\n");
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
  SKIP_ON_WINDOWS("no name for standard output that a program can open (CON is the console)");
  test::TempDir dir;
  test::WriteBytes(dir.File("script.tks"), "\n");
  const test::ToolRun run = RunTypekiln(dir.path(), {"script.tks", "/dev/stdout"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(test::BytesOf(run.out), Hex(kDefaultFont));
}

// With standard input closed, the wait after an error must not read the script in its place.
TEST(Cli, AClosedStandardInputIsNotTheScript) {
  test::TempDir dir;
  // The Gap line lies past the first 4 KiB of the script, which its reader has taken in by the
  // time the error comes.
  std::string script = "LoadTGA missing.tga\n";
  for (int i = 0; i < 60; ++i) script += "# " + std::string(98, '.') + "\n";
  test::WriteBytes(dir.File("s.tks"), script + "Gap 7\n");
  const test::ToolRun run = test::RunProgram(test::TypekilnBinary(), dir.path(),
                                             {"s.tks", "closed.fnt"}, "", false, [] { close(0); });
  EXPECT_EQ(run.err, "Cannot open: 'missing.tga'\n");
  RunTypekiln(dir.path(), {"s.tks", "open.fnt"});
  EXPECT_EQ(test::ReadBytes(dir.File("closed.fnt")), test::ReadBytes(dir.File("open.fnt")));
}

TEST(Cli, AGlyphCutFromAPictureIsWrittenWithItsBitmap) {
  test::TempDir dir;
  test::WriteBytes(dir.File("p.tga"), PictureWith(13, 3,
                                                  {{10, 1, 0x10},
                                                   {11, 1, 0x20},
                                                   {12, 1, 0x30},
                                                   {10, 2, 0xF0},
                                                   {11, 2, 0xE0},
                                                   {12, 2, 0xD0}}));
  test::WriteBytes(dir.File("font.tks"), "CharSet A\nLoadTGA p.tga\n[Font]\nGrab 0,0,1\n");
  const test::ToolRun run = RunTypekiln(dir.path(), {"font.tks", "out.fnt"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(test::ReadBytes(dir.File("out.fnt")),
            Hex(std::string("544b4c4e 515a3721 4e363421 00000001 01 00 01 10 00 00 00 00") +
                "00000030 03 02 01 08 00000000 00000000 f6 00 41 00  00000000" +
                "01 02 03 00 00 00 00 00  0f 0e 0d 00 00 00 00 00"));
}

TEST(Cli, TheShadowOffsetTurnsWithAVerticalFont) {
  test::TempDir dir;
  test::WriteBytes(dir.File("p.tga"), PictureWith(5, 2, {{1, 0, 0xFF}, {3, 1, 0x80}}));
  const std::string grabs =
      "MaxHeight 1\nLoadTGA p.tga\n[Font]\nGrab 0,0,1\n[Shadow]\nGrab 2,1,1\n";
  for (const auto& [script, orientation, offsets] :
       // The type in force at the end counts, also for glyphs grabbed before it was set.
       {std::tuple{"Type Ver\n" + grabs + "Type Hor", "00", "02 01"},
        std::tuple{grabs + "Type Ver", "01", "01 fe"}}) {
    SCOPED_TRACE(script);
    test::WriteBytes(dir.File("font.tks"), script + "\n");
    const test::ToolRun run = RunTypekiln(dir.path(), {"font.tks", "out.fnt"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(test::ReadBytes(dir.File("out.fnt")),
              Hex(std::string("544b4c4e 515a3721 4e363421 00000001 01") + orientation +
                  "01 10 00 00 00 00  00000030 01 01 00 08 00000038 01 01 00 08" + offsets +
                  "00 00  00000000  0f 00000000000000  08 00000000000000"));
  }
}

TEST(Cli, APictureThatFailsToLoadLeavesNothingToGrab) {
  test::TempDir dir;
  test::WriteBytes(dir.File("p.tga"), PictureWith(2, 1, {{0, 0, 0xFF}}));
  test::WriteBytes(dir.File("rgb.tga"), test::TgaFile(2, 1, test::Bytes(6, 0xFF), 2, 0, 24));
  test::WriteBytes(dir.File("font.tks"),
                   "Report\nLoadTGA p.tga\nLoadTGA rgb.tga\n[Font]\nGrab 0,0,1\n");
  const test::ToolRun run = RunTypekiln(dir.path(), {"font.tks", "out.fnt"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "Loading p.tga\nLoading rgb.tga\nWidest: 0\nHighest: 0\n");
  EXPECT_EQ(run.err,
            "'rgb.tga' is not 32bpp!\nNo picture to grab from at following line:\nGrab 0,0,1\n");
  EXPECT_EQ(test::ReadBytes(dir.File("out.fnt")), Hex(kDefaultFont));
}

// The example's pictures saved as PNG build the very font their TGA files build (every kind of
// PNG is read in-process; this runs the tool, also the Windows one).
TEST(Cli, PngPicturesBuildTheFontTheirTgasBuild) {
  test::TempDir dir;
  const test::Bytes original = test::ReadBytes(TYPEKILN_SOURCE_DIR "/examples/example.tks");
  std::string script(original.begin(), original.end());
  test::WriteBytes(dir.File("tga.tks"), script);
  for (const std::string stem : {"example-shadow", "example"}) {
    const std::string path = TYPEKILN_SOURCE_DIR "/examples/" + stem + ".tga";
    Picture picture;
    ASSERT_FALSE(ReadTgaPicture(picture, path).Failed());
    std::vector<int> rgba;
    VisitRows(picture, [&](std::int64_t, const std::uint8_t* row) {
      for (std::int64_t x = 0; x < picture.width; ++x)
        rgba.insert(rgba.end(), {row[4 * x + 2], row[4 * x + 1], row[4 * x], row[4 * x + 3]});
      return true;
    });
    test::WriteBytes(dir.File(stem + ".png"),
                     test::PngFile(picture.width, picture.height, 6, 8, rgba));
    std::filesystem::copy_file(path, dir.File(stem + ".tga"));
    for (std::size_t at = 0; (at = script.find(stem + ".tga", at)) != std::string::npos;)
      script.replace(at, stem.size() + 4, stem + ".png");
  }
  test::WriteBytes(dir.File("png.tks"), script);
  for (const char* tks : {"tga.tks", "png.tks"}) {
    const test::ToolRun run = RunTypekiln(dir.path(), {tks, std::string(tks) + ".fnt"});
    EXPECT_EQ(run.status, 0) << tks << ": " << run.err;
  }
  EXPECT_EQ(test::ReadBytes(dir.File("png.tks.fnt")), test::ReadBytes(dir.File("tga.tks.fnt")));
}

TEST(Cli, TheExampleBuilds) {
  test::TempDir dir;
  const std::filesystem::path examples = std::filesystem::path(TYPEKILN_SOURCE_DIR) / "examples";
  const std::string out = dir.File("example.fnt");
  const test::ToolRun run = RunTypekiln(examples, {"example.tks", out});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, "");
  const test::Bytes font = test::ReadBytes(out);
  ASSERT_GE(font.size(), 24u);
  EXPECT_EQ(font[16], 94);     // every printable character but the space, which is `Space`
  if (test::WindowsTools()) {  // typekiln.exe's font is the Linux tool's, byte for byte
    const std::string built = dir.File("linux.fnt");
    EXPECT_EQ(test::RunProgram(TYPEKILN_BINARY, examples, {"example.tks", built}, "", false).status,
              0);
    EXPECT_EQ(font, test::ReadBytes(built));
  }
}

}  // namespace
}  // namespace typekiln
