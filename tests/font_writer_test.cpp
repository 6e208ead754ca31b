#include "writer/font_writer.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <thread>

#include "font_fields.h"
#include "test_support.h"
#include "tool/tool.h"

namespace typekiln {
namespace {

using test::Bytes;
using test::Hex;
using test::MakeGlyph;

void Add(GlyphSet& set, Glyph glyph) { set.glyphs[static_cast<std::size_t>(set.count++)] = glyph; }

// Writes the font into a fresh folder and returns its bytes; `err` gets the error text. A font
// whose glyphs fit their one-byte fields must read back as the state it was written from.
Bytes WriteAndRead(BuildState& state, std::string* err = nullptr) {
  test::TempDir dir;
  test::TestConsole console;
  const std::string path = dir.File("font.fnt");
  WriteFontAndReport(state, console.streams, path);
  if (err != nullptr)
    *err = console.err.str();
  const Bytes font = test::ReadBytes(path);
  if (test::AllFitOneByteFields(state)) {
    EXPECT_EQ(test::ReadBackMismatches(state, font), std::vector<std::string>{});
  }
  return font;
}

Bytes Slice(const Bytes& bytes, std::size_t from, std::size_t count) {
  return Bytes(bytes.begin() + static_cast<long>(from),
               bytes.begin() + static_cast<long>(from + count));
}

const char kTags[] = "544b4c4e 515a3721 4e363421 00000001";

TEST(FontWriter, AFontWithoutGlyphsIsTheHeaderAlone) {
  BuildState state;
  EXPECT_EQ(WriteAndRead(state), Hex(std::string(kTags) + "00 00 01 10 00 00 00 00"));

  state.settings.orientation = Orientation::Vertical;
  state.settings.gap = 44;  // the script's 300
  state.settings.space = 0xFF;
  state.settings.dropX = 0x80;
  state.settings.dropY = 7;
  EXPECT_EQ(WriteAndRead(state), Hex(std::string(kTags) + "00 01 2c ff 80 07 00 00"));
}

TEST(FontWriter, WholeFileExample) {
  BuildState state;
  state.settings.charSet[0] = 'A';
  Add(state.faceSet, MakeGlyph(state, 10, 0, 3, 2, 1, {0x10, 0x2f, 0xf0, 0x35, 0x00, 0xff}));
  std::string err;
  const Bytes file = WriteAndRead(state, &err);
  EXPECT_EQ(err, "");
  EXPECT_EQ(file, Hex(std::string(kTags) + "01 00 01 10 00 00 00 00"
                                           "00000030 03 02 01 08  00000000 00 00 00 00  f6 00 41 00"
                                           "00000000"
                                           "01 02 0f 00 00 00 00 00"
                                           "03 00 0f 00 00 00 00 00"));
}

TEST(FontWriter, VerticalBitmapsTurnCounterClockwise) {
  BuildState state;
  state.settings.orientation = Orientation::Vertical;
  // Samples a..f = 1..6: a b c on top, d e f below.
  Add(state.faceSet, MakeGlyph(state, 0, 0, 3, 2, 5, {0x10, 0x20, 0x30, 0x40, 0x50, 0x60}));
  const Bytes file = WriteAndRead(state);
  EXPECT_EQ(WriteAndRead(state), file);  // writing leaves the glyphs as they were grabbed
  ASSERT_EQ(file.size(), 48u + 24u);
  EXPECT_EQ(Slice(file, 24, 8), Hex("00000030 02 03 05 08"));  // turned width and height
  EXPECT_EQ(Slice(file, 48, 24), Hex("03 06 00 00 00 00 00 00"
                                     "02 05 00 00 00 00 00 00"
                                     "01 04 00 00 00 00 00 00"));

  state = BuildState{};  // the same glyph lying flat
  Add(state.faceSet, MakeGlyph(state, 0, 0, 3, 2, 5, {0x10, 0x20, 0x30, 0x40, 0x50, 0x60}));
  EXPECT_EQ(Slice(WriteAndRead(state), 48, 16), Hex("01 02 03 00 00 00 00 00"
                                                    "04 05 06 00 00 00 00 00"));
}

TEST(FontWriter, OnlyTheFirstBlockCanFollowFill) {
  for (int count = 1; count <= 4; ++count) {
    SCOPED_TRACE(count);
    BuildState state;
    for (int i = 0; i < count; ++i) Add(state.faceSet, MakeGlyph(state, i * 2, 0, 1, 1, 0, {0xff}));
    Add(state.shadowSet, MakeGlyph(state, 1, 1, 1, 1, 0, {0xff}));
    const std::size_t tableEnd = 24 + 20 * static_cast<std::size_t>(count);
    const std::size_t first = count % 2 == 1 ? tableEnd + 4 : tableEnd;
    const FontLayout layout = LayOutFont(state);
    EXPECT_EQ(layout.size, first + 8 * static_cast<std::size_t>(count + 1));
    for (int i = 0; i < count; ++i) EXPECT_EQ(layout.faces[i].offset, first + 8 * i);
    EXPECT_EQ(layout.shadows[0].offset, first + 8 * static_cast<std::size_t>(count));
    const Bytes file = WriteAndRead(state);
    ASSERT_EQ(file.size(), first + 8 * static_cast<std::size_t>(count + 1));
    EXPECT_EQ(Slice(file, tableEnd, first - tableEnd), Bytes(first - tableEnd, 0));
  }
}

TEST(FontWriter, RowsArePaddedToAMultipleOf8) {
  BuildState state;
  Bytes eight(16, 0xff), nine(18, 0xff);
  Add(state.faceSet, MakeGlyph(state, 0, 0, 8, 2, 0, eight));
  Add(state.faceSet, MakeGlyph(state, 9, 0, 9, 2, 0, nine));
  const Bytes file = WriteAndRead(state);
  EXPECT_EQ(Slice(file, 24 + 4, 4), Hex("08 02 00 08"));
  EXPECT_EQ(Slice(file, 44 + 4, 4), Hex("09 02 00 10"));
  EXPECT_EQ(Slice(file, 64, 16), Bytes(16, 0x0f));  // width 8: no row fill
  const Bytes row9 = Hex("0f0f0f0f 0f0f0f0f 0f000000 00000000");
  EXPECT_EQ(Slice(file, 80, 16), row9);
  EXPECT_EQ(Slice(file, 96, 16), row9);
  EXPECT_EQ(file.size(), 112u);
}

TEST(FontWriter, ShadowsPairWithFontGlyphsBySlot) {
  BuildState state;
  state.settings.charSet[0] = 'x';
  state.settings.charSet[1] = 'y';
  Add(state.faceSet, MakeGlyph(state, 10, 4, 1, 1, 0, {0xff}));
  Add(state.faceSet, MakeGlyph(state, 20, 4, 1, 1, 0, {0xff}));
  Add(state.shadowSet, MakeGlyph(state, 12, 5, 2, 1, 1, {0xff, 0x80}));  // 2 right, 1 down
  const Bytes file = WriteAndRead(state);
  // Entry 0: the shadow's block follows both font blocks at 64 and 72.
  EXPECT_EQ(Slice(file, 24, 20), Hex("00000040 01 01 00 08  00000050 02 01 01 08  02 01 78 00"));
  // Entry 1 had no shadow grabbed: an all-zero one, its offset taken from position (0, 0).
  EXPECT_EQ(Slice(file, 44, 20), Hex("00000048 01 01 00 08  00000000 00 00 00 00  ec fc 79 00"));

  // Turned: the font glyphs are 1 x 1 either way; the shadow is grabbed afresh.
  state.settings.orientation = Orientation::Vertical;
  state.shadowSet.glyphs[0] = MakeGlyph(state, 12, 5, 2, 1, 1, {0xff, 0x80});
  EXPECT_EQ(Slice(WriteAndRead(state), 24 + 16, 2), Hex("01 fe"));
}

TEST(FontWriter, ShadowGlyphsBeyondTheFontGetBlocksButNoEntry) {
  BuildState state;
  Add(state.shadowSet, MakeGlyph(state, 0, 0, 1, 1, 0, {0x70}));
  Add(state.shadowSet, MakeGlyph(state, 0, 0, 2, 1, 0, {0x10, 0x20}));
  EXPECT_EQ(WriteAndRead(state), Hex(std::string(kTags) + "00 00 01 10 00 00 00 00"
                                                          "07 00 00 00 00 00 00 00"
                                                          "01 02 00 00 00 00 00 00"));
}

TEST(FontWriter, OneByteFieldsKeepTheirLowEightBits) {
  BuildState state;
  Add(state.faceSet, MakeGlyph(state, 0, 0, 250, 1, 300));
  Add(state.faceSet, MakeGlyph(state, 0, 0, 1, 257, 0));
  Bytes file = WriteAndRead(state);
  EXPECT_EQ(Slice(file, 24 + 4, 4), Hex("fa 01 2c 00"));  // stride 256
  EXPECT_EQ(Slice(file, 44 + 4, 4), Hex("01 01 00 08"));  // height 257

  state.settings.orientation = Orientation::Vertical;
  state.faceSet.count = 1;
  file = WriteAndRead(state);
  EXPECT_EQ(Slice(file, 24 + 4, 4), Hex("01 fa 2c 08"));  // the grabbed width is the height
}

TEST(FontWriter, AFontBeyondFourGigabytesIsRefused) {
  test::TempDir dir;
  const std::string path = dir.File("huge.fnt");
  test::WriteBytes(path, "old font");
  BuildState state;
  Add(state.faceSet, MakeGlyph(state, 0, 0, 0, 0, 0));
  state.faceSet.glyphs[0].width = 65536;  // laid out, never drawn: no pixels are needed
  state.faceSet.glyphs[0].height = 65536;
  test::TestConsole console;
  WriteFontAndReport(state, console.streams, path);
  EXPECT_EQ(console.err.str(), "Font too large for 32-bit offsets: '" + path + "'\n");
  EXPECT_EQ(test::ReadBytes(path), test::BytesOf("old font"));
}

TEST(FontWriter, AFullDeviceIsAWriteError) {
  BuildState state;
  test::TestConsole console;
  WriteFontAndReport(state, console.streams, "/dev/full");
  EXPECT_EQ(console.err.str(), "Cannot write: '/dev/full'\n");
  EXPECT_TRUE(console.streams.sawError);
}

TEST(FontWriter, AnExistingFontIsReplacedWhole) {
  test::TempDir dir;
  const std::string path = dir.File("font.fnt");
  test::WriteBytes(path, "an older font, longer than the new one");
  chmod(path.c_str(), 0640);
  const std::string link = dir.File("link.fnt");
  std::filesystem::create_symlink("font.fnt", link);
  BuildState state;
  test::TestConsole console;
  WriteFontAndReport(state, console.streams, link);
  EXPECT_EQ(console.err.str(), "");
  EXPECT_EQ(test::ReadBytes(path).size(), 24u);
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_EQ(std::filesystem::status(path).permissions(), std::filesystem::perms(0640));
  EXPECT_EQ(test::FolderEntries(dir.path()), (std::vector<std::string>{"font.fnt", "link.fnt"}));
}

TEST(FontWriter, AFailedWriteLeavesTheOldFontAndNoTemporary) {
  test::TempDir dir;
  const std::string path = dir.File("font.fnt");
  test::WriteBytes(path, "old font");
  // The child may write at most 100 bytes per file; the font needs 24 + 20 + 4 + 64 x 4.
  const bool reported = test::RunInChild([&] {
    const rlimit limit{100, 100};
    std::signal(SIGXFSZ, SIG_IGN);
    if (setrlimit(RLIMIT_FSIZE, &limit) != 0)
      return false;
    BuildState state;
    Add(state.faceSet, MakeGlyph(state, 0, 0, 64, 4, 0));
    test::TestConsole console;
    WriteFontAndReport(state, console.streams, path);
    return console.err.str() == "Cannot write: '" + path + "'\n";
  });
  EXPECT_TRUE(reported);
  EXPECT_EQ(test::ReadBytes(path), test::BytesOf("old font"));
  EXPECT_EQ(test::FolderEntries(dir.path()), std::vector<std::string>{"font.fnt"});
}

TEST(FontWriter, NothingCanBeCreatedInAReadOnlyFolderOrOverAProtectedFont) {
  test::TempDir dir;
  const std::filesystem::path locked = dir.path() / "locked";
  std::filesystem::create_directory(locked);
  std::filesystem::permissions(locked, std::filesystem::perms(0555));
  const std::string inLocked = (locked / "font.fnt").string();
  const std::string missing = dir.File("no/such/folder/font.fnt");
  const std::string protectedFont = dir.File("protected.fnt");
  test::WriteBytes(protectedFont, "keep me");
  std::filesystem::permissions(protectedFont, std::filesystem::perms(0444));

  // Without root, as the folder's and file's permissions intend.
  const bool reported = test::RunInChild(
      [&] {
        std::string expected;
        BuildState state;
        test::TestConsole console;
        for (const std::string& path : {inLocked, missing, protectedFont}) {
          WriteFontAndReport(state, console.streams, path);
          expected += "Cannot create: '" + path + "'\n";
        }
        return console.err.str() == expected;
      },
      /*unprivileged=*/true);
  EXPECT_TRUE(reported);
  EXPECT_TRUE(std::filesystem::is_empty(locked));
  EXPECT_EQ(test::ReadBytes(protectedFont), test::BytesOf("keep me"));
}

TEST(FontWriter, AFifoIsWrittenStraightInto) {
  test::TempDir dir;
  const std::string fifo = dir.File("font.pipe");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  Bytes received;
  std::thread reader([&] { received = test::ReadBytes(fifo); });
  BuildState state;
  Add(state.faceSet, MakeGlyph(state, 0, 0, 1, 1, 0, {0xff}));
  test::TestConsole console;
  WriteFontAndReport(state, console.streams, fifo);
  reader.join();
  EXPECT_EQ(console.err.str(), "");
  EXPECT_EQ(received.size(), 56u);
  EXPECT_EQ(test::FolderEntries(dir.path()), std::vector<std::string>{"font.pipe"});

  WriteFontAndReport(state, console.streams, "/dev/null");
  EXPECT_EQ(console.err.str(), "");
}

}  // namespace
}  // namespace typekiln
