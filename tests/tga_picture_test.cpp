#include "picture/tga_picture.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "picture/picture_rows.h"
#include "script/glyph_commands.h"
#include "test_support.h"

namespace typekiln {
namespace {

using test::Bytes;
using test::Hex;
using test::TgaFile;

// The picture's pixels from the top row down, as hexadecimal red, green, blue, alpha, rows
// separated by "|".
std::string Dump(const Picture& image) {
  PixelRows rows;
  RowCache cache;
  if (!HasPixels(image) || cache.Read(image, 0, image.height, rows).Failed())
    return "no pixels";
  std::string text;
  char pixel[10];
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      const std::uint8_t* p = rows.Row(y) + 4 * x;  // blue, green, red, alpha
      std::snprintf(pixel, sizeof pixel, "%02x%02x%02x%02x", p[2], p[1], p[0], p[3]);
      text += x > 0 ? " " : y > 0 ? "|" : "";
      text += pixel;
    }
  }
  return text;
}

// Makes the file at `path` the picture, reporting what failed as LoadTGA does.
void LoadPicture(Console& console, Picture& image, const std::string& path) {
  if (const Failure failure = ReadTgaPicture(image, path); failure.Failed())
    ReportError(console, "%s", failure.message().c_str());
}

// Loads `file` as "p.tga" into `image`; returns what was reported.
std::string Load(Picture& image, const std::string& file) {
  test::TempDir dir;
  test::WriteBytes(dir.File("p.tga"), file);
  test::TestConsole console;
  LoadPicture(console.streams, image, dir.File("p.tga"));
  std::string err = console.err.str();
  const std::string folder = dir.path().string() + "/";
  for (std::size_t at; (at = err.find(folder)) != std::string::npos;) err.erase(at, folder.size());
  return err;
}

// 2 x 2, stored bottom row first: B0 B1, then T0 T1; each pixel as blue, green, red, alpha.
const char kBottomRow[] = "10203040 11213141";
const char kTopRow[] = "50607080 51617181";
const char kUpright[] = "70605080 71615181|30201040 31211141";  // T0 T1, then B0 B1

TEST(TgaPicture, RowsComeFromTheBottomAndBytesBecomeRedGreenBlueAlpha) {
  Picture image;
  EXPECT_EQ(Load(image, TgaFile(2, 2, Hex(std::string(kBottomRow) + kTopRow))), "");
  EXPECT_EQ(image.width, 2);
  EXPECT_EQ(image.height, 2);
  EXPECT_EQ(Dump(image), kUpright);
}

TEST(TgaPicture, IdentificationColourMapOriginAndRunLengthsAreHonoured) {
  const Bytes prefix = Hex("414243 000000 ffffff");  // "ABC", then two 24-bit map entries
  Bytes topFirst = prefix;
  for (const Bytes& row : {Hex(kTopRow), Hex(kBottomRow)})
    topFirst.insert(topFirst.end(), row.begin(), row.end());
  // Bottom row first: a literal packet of 1, then a run of 2 that crosses into the top row.
  Bytes runs = prefix;
  const Bytes packets = Hex("00 10203040  81 11213141  00 51617181");
  runs.insert(runs.end(), packets.begin(), packets.end());
  Picture image;
  EXPECT_EQ(Load(image, TgaFile(2, 2, topFirst, 2, 0x28, 32, 3, 2, 24)), "");
  EXPECT_EQ(Dump(image), kUpright);
  EXPECT_EQ(Load(image, TgaFile(2, 2, runs, 10, 0x08, 32, 3, 2, 24)), "");
  EXPECT_EQ(Dump(image), "31211141 71615181|30201040 31211141");

  // The decoder gives the same pixels whatever pieces the data arrives in.
  Bytes decoded(16);
  TgaRunLengthDecoder decoder(decoded.data(), 4);
  for (std::uint8_t byte : packets) ASSERT_TRUE(decoder.Feed(&byte, 1));
  EXPECT_TRUE(decoder.Complete());
  EXPECT_EQ(decoded, Hex("10203040 11213141 11213141 51617181"));
}

TEST(TgaPicture, ABadPictureLeavesNoPixelsAndTheFilesSize) {
  const std::string good = TgaFile(2, 2, Hex(std::string(kBottomRow) + kTopRow));
  struct Case {
    const char* what;
    std::string file;
    const char* message;
    int width, height;
  };
  const std::vector<Case> cases = {
      {"24-bit", TgaFile(2, 2, Bytes(12, 1), 2, 8, 24), "'p.tga' is not 32bpp!", 2, 2},
      {"colour-mapped, 8-bit", TgaFile(4, 1, Bytes(4, 1), 1, 8, 8),
       "'p.tga' is not a true-colour TGA!", 4, 1},
      {"no header", good.substr(0, 10), "'p.tga' is not 32bpp!", 0, 0},
      {"half a header", good.substr(0, 14), "'p.tga' is not 32bpp!", 2, 0},
      {"huge raw", TgaFile(65535, 65535, Bytes(22, 0)), "'p.tga' is truncated", 65535, 65535},
      {"huge runs", TgaFile(65535, 65535, Hex("ff 00000000"), 10), "'p.tga' is truncated", 65535,
       65535},
      {"run past the end", TgaFile(2, 1, Hex("82 01020304"), 10), "'p.tga' is truncated", 2, 1},
      {"runs end early", TgaFile(3, 1, Hex("00 01020304"), 10), "'p.tga' is truncated", 3, 1},
      {"identification past the end", TgaFile(1, 1, Hex("01020304"), 2, 8, 32, 200),
       "'p.tga' is truncated", 1, 1},
      // Run-length pictures are decoded whole, and no more than 2^28 pixels are held: checked
      // before the packets are read, so zero bytes serve as well.
      {"runs of 16385 x 16385", TgaFile(16385, 16385, Bytes(16385 * 16385 / 128 * 5 + 5, 0), 10),
       "'p.tga' is too large to hold in memory", 16385, 16385},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Picture image;
    ASSERT_EQ(Load(image, good), "");
    EXPECT_EQ(Load(image, c.file), std::string(c.message) + "\n");
    EXPECT_FALSE(HasPixels(image));
    EXPECT_EQ(image.width, c.width);
    EXPECT_EQ(image.height, c.height);
  }
  for (std::size_t length = kTgaHeaderSize; length < good.size(); ++length) {
    Picture image;
    EXPECT_EQ(Load(image, good.substr(0, length)), "'p.tga' is truncated\n") << length;
  }
}

TEST(TgaPicture, AMissingFileOrAFolderCannotBeOpened) {
  test::TempDir dir;
  for (const std::string& path : {dir.File("missing.tga"), dir.path().string()}) {
    Picture image;
    ASSERT_EQ(Load(image, TgaFile(5, 1, Bytes(20, 1))), "");
    test::TestConsole console;
    LoadPicture(console.streams, image, path);
    EXPECT_EQ(console.err.str(), "Cannot open: '" + path + "'\n");
    EXPECT_FALSE(HasPixels(image));
    EXPECT_EQ(image.width, 5);
  }
}

// A picture held elsewhere than on the disk: LoadTGA then loads what the opener opens, whatever
// the line names, and still reports a line without a path and a picture it cannot open.
TEST(TgaPicture, LoadTgaThroughAnOpenerLoadsWhatItOpens) {
  test::TempDir dir;
  test::WriteBytes(dir.File("p.tga"), TgaFile(2, 1, Hex("01020304 05060708")));
  std::vector<std::string> asked;
  const PictureOpener open = [&](BinaryFile& file, const std::string& path) {
    asked.push_back(path);
    if (path != "locked.tga")
      file.OpenRead(dir.File("p.tga"));
  };
  BuildState state;
  test::TestConsole console;
  for (const char* line :
       {"LoadTGA elsewhere.tga", "LoadTGA", "LoadTGA locked.tga", "LoadTGA again.tga"})
    LoadTgaThrough(state, console.streams, {line, 1}, open);
  EXPECT_EQ(console.err.str(),
            "Missing value at following line:\nLoadTGA\nCannot open: 'locked.tga'\n");
  EXPECT_EQ(asked, (std::vector<std::string>{"elsewhere.tga", "locked.tga", "again.tga"}));
  EXPECT_EQ(state.picture.path, "again.tga");
  EXPECT_EQ(Dump(state.picture), "03020104 07060508");
}

// Every colour type and bit depth of PNG, interlaced or not, gives the pixels a 32-bit TGA of the
// same picture holds: grey as red, green and blue; a 16-bit sample's high byte; fewer bits scaled
// to 255; transparency from tRNS.
TEST(PngPicture, EveryKindOfPngGivesTheTgasPixels) {
  const struct {
    const char* name;
    int type, depth;
    std::vector<int> samples;  // 3 x 2
    Bytes palette, transparency;
    std::string pixels;
  } cases[] = {
      {"grey 1",
       0,
       1,
       {1, 0, 1, 0, 1, 1},
       {},
       {},
       "ffffffff 000000ff ffffffff|000000ff ffffffff ffffffff"},
      {"grey 2",
       0,
       2,
       {0, 1, 2, 3, 2, 1},
       {},
       {},
       "000000ff 555555ff aaaaaaff|ffffffff aaaaaaff 555555ff"},
      {"grey 4",
       0,
       4,
       {15, 1, 0, 8, 7, 3},
       {},
       {},
       "ffffffff 111111ff 000000ff|888888ff 777777ff 333333ff"},
      {"grey 16 with tRNS",
       0,
       16,
       {0x1234, 0xABCD, 0, 0xFFFF, 0x0100, 0xABCD},
       {},
       Hex("ABCD"),
       "121212ff ababab00 000000ff|ffffffff 010101ff ababab00"},
      {"grey and alpha 8",
       4,
       8,
       {9, 200, 255, 0, 1, 2, 3, 4, 5, 6, 7, 8},
       {},
       {},
       "090909c8 ffffff00 01010102|03030304 05050506 07070708"},
      {"RGB 8 with tRNS",
       2,
       8,
       {1, 2, 3, 4, 5, 6, 7, 8, 9, 1, 2, 3, 0, 0, 0, 9, 9, 9},
       {},
       Hex("0001 0002 0003"),
       "01020300 040506ff 070809ff|01020300 000000ff 090909ff"},
      {"RGBA 16",
       6,
       16,
       {0x1100, 0x2200, 0x3300, 0x4400, 0xFFFF, 0,      0,      0xFFFF, 1,      2,      3,     4, 0,
        0,      0,      0,      0x8000, 0x8000, 0x8000, 0x8000, 0xFE00, 0xFD00, 0xFC00, 0xFB00},
       {},
       {},
       "11223344 ff0000ff 00000000|00000000 80808080 fefdfcfb"},
      {"palette 4 with tRNS",
       3,
       4,
       {0, 1, 2, 2, 1, 0},
       Hex("ff0000 00ff00 0000ff"),
       Hex("80 00"),
       "ff000080 00ff0000 0000ffff|0000ffff 00ff0000 ff000080"},
  };
  for (const auto& c : cases) {
    for (const bool interlaced : {false, true}) {
      SCOPED_TRACE(std::string(c.name) + (interlaced ? ", interlaced" : ""));
      Picture image;
      EXPECT_EQ(Load(image, test::PngFile(3, 2, c.type, c.depth, c.samples, c.palette,
                                          c.transparency, interlaced)),
                "");
      std::string expected = c.pixels;
      expected.erase(std::remove(expected.begin(), expected.end(), ' '), expected.end());
      std::string got = Dump(image);
      got.erase(std::remove(got.begin(), got.end(), ' '), got.end());
      EXPECT_EQ(got, expected);
    }
  }
}

// A PNG whose header claims `width` x `height`, its checksum made right, and no pixels.
std::string ClaimingPng(std::uint32_t width, std::uint32_t height) {
  std::string png = test::PngFile(1, 1, 0, 1, {1});
  for (int i = 0; i < 4; ++i) {
    png[16 + i] = static_cast<char>(width >> (24 - 8 * i));
    png[20 + i] = static_cast<char>(height >> (24 - 8 * i));
  }
  const auto crc =
      static_cast<std::uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(png.data() + 12), 17));
  for (int i = 0; i < 4; ++i) png[29 + i] = static_cast<char>(crc >> (24 - 8 * i));
  return png;
}

// A PNG that cannot be read says what is wrong with it, by name; one claiming more pixels than
// are held is refused before any memory is taken for them.
TEST(PngPicture, ADamagedPngSaysWhatIsWrong) {
  const std::string good = test::PngFile(2, 1, 6, 8, {1, 2, 3, 4, 5, 6, 7, 8});
  std::string badChecksum = good;
  badChecksum[29] ^= 1;  // the IHDR's checksum
  std::string badData = good;
  badData[good.size() - 20] ^= 0x55;  // inside the compressed data
  const std::pair<std::string, std::string> cases[] = {
      {good.substr(0, good.size() - 20),
       "'p.tga' is a PNG cut short: it ends before its last pixel\n"},
      {good.substr(0, 12), "'p.tga' is a PNG cut short: it ends before its last pixel\n"},
      {badChecksum, "'p.tga' is a damaged PNG: a chunk's checksum does not match its data\n"},
      {badData, "'p.tga' is a damaged PNG: its data does not decode\n"},
      {ClaimingPng(65536, 1), "'p.tga' is too large to hold in memory\n"},
      {ClaimingPng(16384, 16385), "'p.tga' is too large to hold in memory\n"},
  };
  for (const auto& [file, message] : cases) {
    SCOPED_TRACE(message);
    Picture image;
    EXPECT_EQ(Load(image, file), message);
    EXPECT_FALSE(HasPixels(image));
  }
}

// Files made by real writers from the same 3 x 2 picture (tests/data/make_tga_files.sh).
TEST(TgaPicture, PicturesFromImageMagickAndPillowLoad) {
  const std::string upright = "ff0000ff 00ff0080 0000ff40|0a141e28 c86432ff 01020304";
  // ImageMagick 6.9 stores the top row first but says bottom row first; the header counts.
  const std::string headerSaysUpsideDown = "0a141e28 c86432ff 01020304|ff0000ff 00ff0080 0000ff40";
  const std::pair<const char*, const std::string&> files[] = {
      {"pillow-raw.tga", upright},
      {"pillow-rle.tga", upright},
      {"pillow-topleft.tga", upright},
      {"imagemagick-topleft.tga", upright},
      {"imagemagick-raw.tga", headerSaysUpsideDown},
      {"imagemagick-rle.tga", headerSaysUpsideDown},
  };
  for (const auto& [name, expected] : files) {
    SCOPED_TRACE(name);
    const std::string path = std::string(TYPEKILN_SOURCE_DIR) + "/tests/data/" + name;
    test::TestConsole console;
    Picture image;
    LoadPicture(console.streams, image, path);
    EXPECT_EQ(console.err.str(), "");
    EXPECT_EQ(Dump(image), expected);
  }
}

}  // namespace
}  // namespace typekiln
