// typekiln-import end to end: real fonts in, through typekiln and the game runtime, out come the
// pixels FreeType (or the BMFont page) gives, on one baseline, advancing as the font does.

#include <ft2build.h>
#include FT_FREETYPE_H

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "test_support.h"
#include "typekiln_font.h"

namespace typekiln {
namespace {

using test::Bytes;

const std::string kSans = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
const std::string kSansMono = "/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf";
const std::string kFixed = "/usr/share/fonts/X11/misc/6x13.pcf.gz";
const std::string kLatin1 = "\xC3\xA9\xC3\x89\xC3\x9F\xC3\xBF";  // é É ß ÿ
const std::string kNoBreakSpace = "\xC2\xA0";

// A glyph as FreeType renders it: 8-bit coverage, and where it lies from the pen on the baseline.
struct Rendered {
  std::uint8_t code = 0;
  int width = 0, height = 0, left = 0, top = 0, advance = 0;
  Bytes coverage;
};

struct RenderedFont {
  std::vector<Rendered> glyphs;
  int space = 0;
};

// FreeType's own rendering of `codes`, as the importer promises to take it: the scalable font at
// `size` pixels (default hinting, anti-aliased or monochrome), or the bitmap strike `size` high.
RenderedFont RenderWithFreeType(const std::string& path, int size, bool mono,
                                const std::string& codes) {
  RenderedFont font;
  FT_Library library = nullptr;
  FT_Face face = nullptr;
  EXPECT_EQ(FT_Init_FreeType(&library), 0);
  EXPECT_EQ(FT_New_Face(library, path.c_str(), 0, &face), 0) << path;
  FT_Select_Charmap(face, FT_ENCODING_UNICODE);
  if (FT_IS_SCALABLE(face)) {
    EXPECT_EQ(FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(size)), 0);
  } else {
    for (int i = 0; i < face->num_fixed_sizes; ++i) {
      if (face->available_sizes[i].height == size) {
        EXPECT_EQ(FT_Select_Size(face, i), 0);
      }
    }
  }
  const bool monoLoad = mono && FT_IS_SCALABLE(face);
  const auto load = [&](std::uint8_t code) {
    const FT_UInt index = FT_Get_Char_Index(face, code);
    if (index == 0 || FT_Load_Glyph(face, index, monoLoad ? FT_LOAD_TARGET_MONO : 0) != 0)
      return false;
    return face->glyph->format == FT_GLYPH_FORMAT_BITMAP ||
           FT_Render_Glyph(face->glyph, monoLoad ? FT_RENDER_MODE_MONO : FT_RENDER_MODE_NORMAL) ==
               0;
  };
  for (const char character : codes) {
    const auto code = static_cast<std::uint8_t>(character);
    if (!load(code))
      continue;
    const FT_GlyphSlot slot = face->glyph;
    Rendered glyph{code,
                   static_cast<int>(slot->bitmap.width),
                   static_cast<int>(slot->bitmap.rows),
                   slot->bitmap_left,
                   slot->bitmap_top,
                   static_cast<int>(slot->advance.x >> 6),
                   {}};
    for (int y = 0; y < glyph.height; ++y)
      for (int x = 0; x < glyph.width; ++x) {
        const unsigned char* row = slot->bitmap.buffer + y * slot->bitmap.pitch;
        glyph.coverage.push_back(slot->bitmap.pixel_mode == FT_PIXEL_MODE_MONO
                                     ? ((row[x / 8] >> (7 - x % 8)) & 1) * 255
                                     : row[x]);
      }
    font.glyphs.push_back(glyph);
  }
  if (load(' '))
    font.space = static_cast<int>(face->glyph->advance.x >> 6);
  FT_Done_Face(face);
  FT_Done_FreeType(library);
  return font;
}

std::string PrintableAscii() {
  std::string codes;
  for (char code = '!'; code <= '~'; ++code) codes += code;
  return codes;
}

// Samples cropped to the box of the non-zero ones: where it starts, and the samples row by row.
struct Cropped {
  int x = 0, y = 0, width = 0, height = 0;
  Bytes samples;
  bool operator==(const Cropped&) const = default;
};

Cropped Crop(const std::uint8_t* samples, int width, int height, int stride) {
  int left = width, right = 0, top = height, bottom = 0;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      if (samples[y * stride + x] != 0)
        left = std::min(left, x), right = std::max(right, x + 1), top = std::min(top, y),
        bottom = std::max(bottom, y + 1);
  Cropped crop;
  if (right <= left)
    return crop;
  crop = {left, top, right - left, bottom - top, {}};
  for (int y = top; y < bottom; ++y)
    for (int x = left; x < right; ++x) crop.samples.push_back(samples[y * stride + x]);
  return crop;
}

Cropped CropQuantised(const Rendered& glyph) {
  Bytes samples;
  for (const std::uint8_t value : glyph.coverage)
    samples.push_back(static_cast<std::uint8_t>((value * 15 + 127) / 255));
  return Crop(samples.data(), glyph.width, glyph.height, glyph.width);
}

// One pixel blended as the runtime's drawing rules say: a sample s covers with alpha 17 x s.
void Blend(std::uint32_t& pixel, std::uint32_t colour, int sample) {
  const unsigned a = 17u * static_cast<unsigned>(sample);
  std::uint32_t result = 0;
  for (int shift = 24; shift >= 8; shift -= 8) {
    const unsigned c = (colour >> shift) & 0xFF, old = (pixel >> shift) & 0xFF;
    result |= ((c * a + old * (255 - a) + 127) / 255) << shift;
  }
  pixel = result | (a + ((pixel & 0xFF) * (255 - a) + 127) / 255);
}

constexpr std::uint32_t kFace = 0xFFFFFFFF;
constexpr std::uint32_t kShadow = 0x000000FF;

// Checks the promises on the font typekiln built from the import of `expected`: each face's
// samples, the rows its ink lands on, the pen's advance and, for a font whose ink all lies
// within its advance boxes, the whole line set with the runtime against the FreeType bitmaps
// placed on the baseline. Returns how many glyphs put ink outside their advance box.
int ExpectPromisesHold(const std::string& name, const RenderedFont& expected, const Bytes& bytes) {
  tkf_font font;
  EXPECT_EQ(tkf_open(&font, bytes.data(), bytes.size()), TKF_OK) << name;
  EXPECT_EQ(font.count, static_cast<int>(expected.glyphs.size())) << name;
  int ascent = 0, outside = 0, baseline = -1, highestInk = 1 << 20;
  for (const Rendered& glyph : expected.glyphs)
    if (const Cropped ink = CropQuantised(glyph); !ink.samples.empty())
      ascent = std::max(ascent, glyph.top - ink.y);
  for (const Rendered& glyph : expected.glyphs) {
    const Cropped want = CropQuantised(glyph);
    tkf_bitmap face;
    const int entry = tkf_find(&font, glyph.code);
    EXPECT_GE(entry, 0) << name << ": no entry for " << int(glyph.code);
    if (entry < 0 || tkf_face(&font, entry, &face) != 1)
      return -1;
    Cropped got = Crop(face.samples, face.width, face.height, face.stride);
    // 1: the samples; 2: the ink's top row on one baseline, the highest at the line's top.
    EXPECT_EQ(got.samples, want.samples) << name << ": glyph " << int(glyph.code);
    EXPECT_EQ(got.width, want.width) << name << ": glyph " << int(glyph.code);
    if (want.samples.empty())
      continue;
    const int inkRow = face.top + got.y;
    highestInk = std::min(highestInk, inkRow);
    if (baseline < 0)
      baseline = inkRow + glyph.top - want.y;
    EXPECT_EQ(inkRow + glyph.top - want.y, baseline) << name << ": glyph " << int(glyph.code);
    // 3: the ink at the pen's place, and the pen moved by the advance.
    const bool inside =
        glyph.left + want.x >= 0 && glyph.left + want.x + want.width <= glyph.advance;
    const char text[] = {static_cast<char>(glyph.code), '\0'};
    int width = 0, height = 0;
    tkf_measure(&font, text, &width, &height);
    if (inside) {
      EXPECT_EQ(got.x, glyph.left + want.x) << name << ": glyph " << int(glyph.code);
      EXPECT_EQ(width, glyph.advance) << name << ": glyph " << int(glyph.code);
    } else {
      ++outside;
    }
  }
  EXPECT_EQ(highestInk, 0) << name;
  EXPECT_EQ(baseline, ascent) << name;
  EXPECT_EQ(font.space, expected.space) << name;
  if (outside > 0)
    return outside;

  // 4: the whole line, drawn by the runtime, and drawn from FreeType's bitmaps by the rules.
  std::string text;
  int width = 8;
  for (const Rendered& glyph : expected.glyphs)
    text += static_cast<char>(glyph.code), width += glyph.advance;
  const int height = 8 + font.line_height;
  std::vector<std::uint32_t> drawn(static_cast<std::size_t>(width * height), 0);
  std::vector<std::uint32_t> placed = drawn;
  tkf_surface surface = {drawn.data(), width, height, width * 4, TKF_RGBA8888};
  tkf_draw(&font, &surface, 2, 2, text.c_str(), kFace, kShadow);
  for (const std::uint32_t colour : {kShadow, kFace}) {
    int pen = 2;
    for (const Rendered& glyph : expected.glyphs) {
      const int shift = colour == kShadow ? 1 : 0;  // the drop shadow, one right and down
      for (int y = 0; y < glyph.height; ++y)
        for (int x = 0; x < glyph.width; ++x) {
          const int sample =
              (glyph.coverage[static_cast<std::size_t>(y * glyph.width + x)] * 15 + 127) / 255;
          if (sample > 0)
            Blend(placed[static_cast<std::size_t>((2 + ascent - glyph.top + y + shift) * width +
                                                  pen + glyph.left + x + shift)],
                  colour, sample);
        }
      pen += glyph.advance;
    }
  }
  EXPECT_EQ(drawn, placed) << name << ": the line set by the runtime";
  return 0;
}

struct Imported {
  test::ToolRun run;
  std::filesystem::path folder;
};

Imported Import(const test::TempDir& dir, const std::vector<std::string>& args) {
  Imported imported{{}, std::filesystem::path(dir.File("out"))};
  std::vector<std::string> words = args;
  words.push_back(imported.folder.string());
  imported.run = test::RunProgram(test::ImportBinary(), dir.File(""), words, "", false);
  return imported;
}

// Imports the font, builds it with typekiln, checks the script and the promises; prints what the
// font gave, for the record.
void ExpectRoundTrip(const std::string& name, const std::vector<std::string>& args,
                     const RenderedFont& expected) {
  test::TempDir dir;
  const Imported imported = Import(dir, args);
  ASSERT_EQ(imported.run.status, 0) << name << ": " << imported.run.err;
  // 5: the script checks clean and builds.
  const test::ToolRun check =
      test::RunProgram(test::InspectBinary(), imported.folder, {"--check", "font.tks"}, "", false);
  EXPECT_EQ(check.status, 0) << name << ": " << check.out << check.err;
  EXPECT_EQ(check.out, "No problems found.\n") << name;
  const test::ToolRun build = test::RunTypekiln(imported.folder, {"font.tks", "font.fnt"}, "");
  ASSERT_EQ(build.status, 0) << name << ": " << build.err;
  const int outside =
      ExpectPromisesHold(name, expected, test::ReadBytes((imported.folder / "font.fnt").string()));
  std::cout << name << ": " << expected.glyphs.size() << " characters, " << outside
            << " outside their advance box; the whole line "
            << (outside == 0 ? "checked" : "not checked") << "\n";
}

TEST(Import, TrueTypeAntiAliasedAndMonochromeAtTwoSizes) {
  for (const int size : {13, 20}) {
    for (const bool mono : {false, true}) {
      std::vector<std::string> args = {"--size", std::to_string(size), kSans};
      if (mono)
        args.insert(args.begin(), "--mono");
      ExpectRoundTrip("DejaVu Sans " + std::to_string(size) + (mono ? " mono" : ""), args,
                      RenderWithFreeType(kSans, size, mono, PrintableAscii()));
    }
  }
  // A monospaced face whose glyphs all lie within their advance boxes at this size, so that the
  // whole line is checked too.
  ExpectRoundTrip("DejaVu Sans Mono 13", {"--size", "13", kSansMono},
                  RenderWithFreeType(kSansMono, 13, false, PrintableAscii()));
}

TEST(Import, BitmapFontsAsPcfAndAsBitmapOnlyOpenType) {
  ASSERT_TRUE(std::filesystem::exists(kFixed)) << "needs xfonts-base";
  const std::string codes = PrintableAscii() + "\xE9\xC9\xDF\xFF";
  ExpectRoundTrip("6x13 PCF", {"--chars", PrintableAscii() + kLatin1, kFixed},
                  RenderWithFreeType(kFixed, 13, false, codes));

  test::TempDir dir;
  const std::string otb = dir.File("fixed.otb");
  const test::ToolRun made =
      test::RunProgram("/usr/bin/fonttosfnt", dir.File(""), {"-b", "-o", otb, kFixed}, "", false);
  ASSERT_EQ(made.status, 0) << "needs fonttosfnt (xfonts-utils): " << made.err;
  ExpectRoundTrip("6x13 bitmap-only OpenType", {"--chars", PrintableAscii() + kLatin1, otb},
                  RenderWithFreeType(otb, 13, false, codes));
}

// `value` as `size` bytes, least significant first.
std::string Le(int value, int size) {
  std::string bytes;
  for (int i = 0; i < size; ++i) bytes += static_cast<char>((value >> (8 * i)) & 0xFF);
  return bytes;
}

// A BMFont of the rendered glyphs: one page, `page.tga`, glyphs side by side a pixel apart, white
// with the coverage in alpha, and the descriptor in the given form.
void WriteBmFont(const test::TempDir& dir, const RenderedFont& font, const std::string& form) {
  int width = 1, height = 1, base = 0;
  for (const Rendered& glyph : font.glyphs)
    width += glyph.width + 1, height = std::max(height, glyph.height),
                              base = std::max(base, glyph.top);
  Bytes pixels(static_cast<std::size_t>(width * height * 4), 0);
  struct Char {
    int id, x, width, height, xoffset, yoffset, xadvance;
  };
  std::vector<Char> chars = {{' ', 0, 0, 0, 0, 0, font.space}};
  int x = 0;
  for (const Rendered& glyph : font.glyphs) {
    for (int row = 0; row < glyph.height; ++row)
      for (int column = 0; column < glyph.width; ++column) {
        std::uint8_t* pixel =
            &pixels[static_cast<std::size_t>(((height - 1 - row) * width + x + column) * 4)];
        pixel[0] = pixel[1] = pixel[2] = 255;
        pixel[3] = glyph.coverage[static_cast<std::size_t>(row * glyph.width + column)];
      }
    chars.push_back(
        {glyph.code, x, glyph.width, glyph.height, glyph.left, base - glyph.top, glyph.advance});
    x += glyph.width + 1;
  }
  test::WriteBytes(dir.File("page.tga"), test::TgaFile(width, height, pixels));
  std::string text;
  if (form == "text") {
    text =
        "info face=\"Test Mono\" size=13 bold=0 italic=0 padding=0,0,0,0 spacing=1,1\n"
        "common lineHeight=15 base=" +
        std::to_string(base) + " scaleW=" + std::to_string(width) +
        " scaleH=" + std::to_string(height) + " pages=1 packed=0\npage id=0 file=\"page.tga\"\n";
    for (const Char& c : chars)
      text += "char id=" + std::to_string(c.id) + "   x=" + std::to_string(c.x) +
              " y=0 width=" + std::to_string(c.width) + " height=" + std::to_string(c.height) +
              " xoffset=" + std::to_string(c.xoffset) + " yoffset=" + std::to_string(c.yoffset) +
              " xadvance=" + std::to_string(c.xadvance) + " page=0 chnl=15\n";
    text += "kernings count=1\nkerning first=65 second=86 amount=-1\n";
  } else if (form == "xml") {
    text =
        "<?xml version=\"1.0\"?>\n<font>\n<info face=\"Test Mono\" size=\"13\"/>\n<common "
        "lineHeight=\"15\" base=\"" +
        std::to_string(base) + "\" scaleW=\"" + std::to_string(width) + "\" scaleH=\"" +
        std::to_string(height) +
        "\" pages=\"1\"/>\n<pages><page id=\"0\" file=\"page.tga\"/></pages>\n<chars>\n";
    for (const Char& c : chars)
      text += "<char id=\"" + std::to_string(c.id) + "\" x=\"" + std::to_string(c.x) +
              "\" y=\"0\" width=\"" + std::to_string(c.width) + "\" height=\"" +
              std::to_string(c.height) + "\" xoffset=\"" + std::to_string(c.xoffset) +
              "\" yoffset=\"" + std::to_string(c.yoffset) + "\" xadvance=\"" +
              std::to_string(c.xadvance) + "\" page=\"0\" chnl=\"8\"/>\n";
    text += "</chars>\n</font>\n";
  } else {
    // Little-endian blocks: info, common, the page's name, the chars.
    std::string info = Le(13, 2) + std::string("\x01\x00", 2) + Le(100, 2) + std::string(8, '\0') +
                       "Test Mono" + '\0';
    std::string common =
        Le(15, 2) + Le(base, 2) + Le(width, 2) + Le(height, 2) + Le(1, 2) + std::string(5, '\0');
    std::string records;
    for (const Char& c : chars)
      records += Le(c.id, 4) + Le(c.x, 2) + Le(0, 2) + Le(c.width, 2) + Le(c.height, 2) +
                 Le(c.xoffset, 2) + Le(c.yoffset, 2) + Le(c.xadvance, 2) + std::string(2, '\0');
    text = "BMF\x03";
    int type = 0;
    for (const std::string& block : {info, common, std::string("page.tga") + '\0', records})
      text += static_cast<char>(++type) + Le(static_cast<int>(block.size()), 4) + block;
  }
  test::WriteBytes(dir.File("font.fnt"), text);
}

TEST(Import, BMFontInEachOfItsThreeForms) {
  // The glyphs of a monospaced TrueType face, anti-aliased, as another tool would pack them.
  const RenderedFont rendered = RenderWithFreeType(kSansMono, 13, false, PrintableAscii());
  for (const std::string form : {"text", "xml", "binary"}) {
    test::TempDir dir;
    WriteBmFont(dir, rendered, form);
    ExpectRoundTrip("BMFont, " + form + " form", {dir.File("font.fnt")}, rendered);
  }
}

TEST(Import, NeverWritesOverWhatItReadsNorWhatExistsUnlessForced) {
  test::TempDir dir;
  const Imported first = Import(dir, {"--chars", "AB", kFixed});
  ASSERT_EQ(first.run.status, 0) << first.run.err;
  const Bytes script = test::ReadBytes((first.folder / "font.tks").string());
  const Imported again = Import(dir, {"--chars", "CD", "--shadow", "none", kFixed});
  EXPECT_EQ(again.run.status, 1);
  EXPECT_NE(again.run.err.find("faces.tga' exists; add --force to replace it"), std::string::npos)
      << again.run.err;
  EXPECT_EQ(test::ReadBytes((first.folder / "font.tks").string()), script);
  EXPECT_EQ(Import(dir, {"--force", "--chars", "CD", kFixed}).run.status, 0);

  // A descriptor whose page is the sheet it would write: refused, even with --force.
  const RenderedFont rendered = RenderWithFreeType(kFixed, 13, false, "AB");
  WriteBmFont(dir, rendered, "text");
  std::filesystem::rename(dir.File("page.tga"), first.folder / "faces.tga");
  const Bytes text = test::ReadBytes(dir.File("font.fnt"));
  std::string descriptor(text.begin(), text.end());
  descriptor.replace(descriptor.find("page.tga"), 8, "out/faces.tga");
  test::WriteBytes(dir.File("font.fnt"), descriptor);
  const Bytes page = test::ReadBytes((first.folder / "faces.tga").string());
  const Imported over = Import(dir, {"--force", "--chars", "AB", dir.File("font.fnt")});
  EXPECT_EQ(over.run.status, 1);
  EXPECT_NE(over.run.err.find("which the font is made from"), std::string::npos) << over.run.err;
  EXPECT_EQ(test::ReadBytes((first.folder / "faces.tga").string()), page);
}

TEST(Import, CharactersWithoutInkBuildWhereverTheInkOfTheOthersLies) {
  // A no-break space beside a character whose ink lies only below the baseline, or only above
  // it: both fonts' sets, and a BMFont's whose baseline is its line's top or far above it.
  test::TempDir dir;
  test::WriteBytes(dir.File("page.tga"), test::TgaFile(1, 1, Bytes(4, 0xFF)));
  for (const int base : {0, 200})
    test::WriteBytes(dir.File("base" + std::to_string(base) + ".fnt"),
                     "common lineHeight=9 base=" + std::to_string(base) +
                         "\npage id=0 file=\"page.tga\"\nchar id=65 width=1 height=1 xadvance=2\n"
                         "char id=160 xadvance=3\nchar id=32 xadvance=3\n");
  const std::vector<std::vector<std::string>> imports = {
      {"--size", "13", "--chars", "_" + kNoBreakSpace, kSans},
      {"--size", "13", "--chars", "'" + kNoBreakSpace, kSans},
      {"--chars", "_" + kNoBreakSpace, kFixed},
      {"--chars", "A" + kNoBreakSpace, dir.File("base0.fnt")},
      {"--chars", "A" + kNoBreakSpace, dir.File("base200.fnt")}};
  for (const auto& args : imports) {
    SCOPED_TRACE(args[args.size() - 2] + " " + args.back());
    std::filesystem::remove_all(dir.path() / "out");
    const Imported imported = Import(dir, args);
    ASSERT_EQ(imported.run.status, 0) << imported.run.err;
    const test::ToolRun build = test::RunTypekiln(imported.folder, {"font.tks", "font.fnt"}, "");
    EXPECT_EQ(build.err, "");
    tkf_font font;
    const Bytes bytes = test::ReadBytes((imported.folder / "font.fnt").string());
    ASSERT_EQ(tkf_open(&font, bytes.data(), bytes.size()), TKF_OK);
    EXPECT_EQ(font.count, 2);
    EXPECT_EQ(test::RunInspect(imported.folder, {"--check", "font.tks"}).out,
              "No problems found.\n");
  }
}

// Sends `signal` to the tool `delay` after it starts, or, with no delay, as soon as its staging
// folder stands in "out", from a process of its own.
void SignalAfter(int signal, std::optional<std::chrono::microseconds> delay) {
  for (const int each : {SIGINT, SIGTERM, SIGHUP}) std::signal(each, SIG_DFL);
  const pid_t tool = getpid();
  if (fork() != 0)
    return;
  if (delay)
    usleep(static_cast<useconds_t>(delay->count()));
  for (bool staging = delay.has_value(); !staging && getppid() == tool; usleep(100)) {
    for (const std::string& name : test::FolderEntries("out"))
      staging = staging || name.starts_with(".typekiln-");
  }
  kill(tool, signal);
  _exit(0);
}

TEST(Import, ASignalAtAnyMomentLeavesTheOldSetOrTheNewAndNothingElse) {
  test::TempDir dir;
  const std::vector<std::string> names = {"faces.tga", "font.tks", "shadows.tga"};
  const auto readSet = [&](const std::string& folder) {
    std::vector<Bytes> set;
    for (const std::string& name : names)
      set.push_back(test::ReadBytes(dir.File(folder + "/" + name)));
    return set;
  };
  const std::vector<std::string> newer = {"--force", "--shadow", "outline", "--size",
                                          "40",      kSans,      "out"};
  ASSERT_EQ(test::RunProgram(test::ImportBinary(), dir.path(),
                             {"--shadow", "outline", "--size", "13", "--chars", "AB", kSans, "old"},
                             "", false)
                .status,
            0);
  const auto started = std::chrono::steady_clock::now();
  ASSERT_EQ(test::RunProgram(test::ImportBinary(), dir.path(),
                             {"--shadow", "outline", "--size", "40", kSans, "new"}, "", false)
                .status,
            0);
  const auto duration = std::chrono::duration_cast<std::chrono::microseconds>(
      std::chrono::steady_clock::now() - started);
  const std::vector<Bytes> oldSet = readSet("old");
  const std::vector<Bytes> newSet = readSet("new");
  // On Windows only Ctrl-C stands for these signals; wine passes SIGINT to the program as one,
  // but not before the program runs: one that comes while wine starts it can hang wine. There
  // the signal comes once the staging folder stands.
  const bool windows = test::WindowsTools();
  int interrupted = 0;
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
    if (windows && signal != SIGINT)
      continue;
    for (int step = 0; step <= 12; ++step) {
      SCOPED_TRACE(std::to_string(signal) + " after " + std::to_string(step) + "/10 of a run");
      std::filesystem::remove_all(dir.path() / "out");
      std::filesystem::copy(dir.path() / "old", dir.path() / "out");
      const test::ToolRun run =
          test::RunProgram(test::ImportBinary(), dir.path(), newer, "", false, [&] {
            SignalAfter(signal, windows ? std::nullopt : std::optional(duration * step / 10));
          });
      interrupted += run.status != 0;
      const std::vector<Bytes> set = readSet("out");
      EXPECT_TRUE(set == oldSet || set == newSet) << "status " << run.status;
      // The Windows tool's files go once the ended process's handles are closed, which wine may
      // do a moment after the process has ended.
      for (int wait = 0; windows && wait < 200 && test::FolderEntries(dir.path() / "out") != names;
           ++wait)
        usleep(10000);
      EXPECT_EQ(test::FolderEntries(dir.path() / "out"), names);
      EXPECT_EQ(test::FolderEntries(dir.path()), (std::vector<std::string>{"new", "old", "out"}));
    }
  }
  EXPECT_GT(interrupted, 0) << "no run was interrupted";
}

// A face widened alone is out of step with its shadow until the shadows are drawn again from the
// faces; only a sheet of an outline has shadows to draw, and only a folder this tool wrote.
TEST(Import, ShadowsAreDrawnAgainFromRetouchedFaces) {
  test::TempDir dir;
  const Imported outline = Import(dir, {"--shadow", "outline", "--chars", "ABCDEFGH", kFixed});
  ASSERT_EQ(outline.run.status, 0) << outline.run.err;
  const std::string faces = (outline.folder / "faces.tga").string();
  Bytes sheet = test::ReadBytes(faces);
  const int width = sheet[12] | sheet[13] << 8;
  const std::size_t pixel = 18 + (5u * static_cast<std::size_t>(width) + 7u) * 4u;  // right of 'A'
  std::fill_n(sheet.begin() + static_cast<std::ptrdiff_t>(pixel), 4, 0xFF);
  test::WriteBytes(faces, std::string(sheet.begin(), sheet.end()));
  const auto check = [&] { return test::RunInspect(outline.folder, {"--check", "font.tks"}).out; };
  EXPECT_NE(check().find("the shadow of 'A' (glyph 0) lies -1,-1 from its face and is 1 wider"),
            std::string::npos)
      << check();
  const Bytes script = test::ReadBytes((outline.folder / "font.tks").string());
  const test::ToolRun redraw =
      test::RunProgram(test::ImportBinary(), dir.path(), {"--redraw-shadows", "out"}, "", false);
  EXPECT_EQ(redraw.status, 0) << redraw.err;
  EXPECT_EQ(check(), "No problems found.\n");
  EXPECT_EQ(test::ReadBytes(faces), sheet);
  EXPECT_EQ(test::ReadBytes((outline.folder / "font.tks").string()), script);

  // A drop shadow is the faces themselves; a script of someone else's says nothing of shadows.
  std::filesystem::remove_all(outline.folder);
  ASSERT_EQ(Import(dir, {"--chars", "AB", kFixed}).run.status, 0);
  test::ToolRun run =
      test::RunProgram(test::ImportBinary(), dir.path(), {"--redraw-shadows", "out"}, "", false);
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("'out' has no shadows.tga to redraw: its shadows are the faces"),
            std::string::npos)
      << run.err;
  test::WriteBytes(dir.File("out/font.tks"), "LoadTGA faces.tga\n");
  run = test::RunProgram(test::ImportBinary(), dir.path(), {"--redraw-shadows", "out"}, "", false);
  EXPECT_NE(run.err.find("was not written by typekiln-import"), std::string::npos) << run.err;
  EXPECT_EQ(test::FolderEntries(dir.path() / "out"),
            (std::vector<std::string>{"faces.tga", "font.tks"}));

  // --force replaces the sheets and the script this tool writes, and no other file.
  test::WriteBytes(dir.File("out/font.tks"), "my own script\n");
  run = Import(dir, {"--force", "--chars", "AB", kFixed}).run;
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("font.tks' is no sheet or script typekiln-import writes"),
            std::string::npos)
      << run.err;
  EXPECT_EQ(test::ReadBytes(dir.File("out/font.tks")), test::BytesOf("my own script\n"));
}

TEST(Import, WrongArgumentsAndUnusableFontsWriteNothing) {
  test::TempDir dir;
  test::WriteBytes(dir.File("junk.ttf"), "not a font at all");
  Bytes blank = test::ReadBytes(kSans);  // its glyf table renamed: every glyph blank
  const std::size_t glyf = std::string(blank.begin(), blank.end()).find("glyf");
  blank[glyf + 3] = 'x';
  test::WriteBytes(dir.File("blank.ttf"), std::string(blank.begin(), blank.end()));
  test::WriteBytes(dir.File("wide.fnt"),
                   "common base=1\npage id=0 file=\"page.tga\"\nchar id=65 xadvance=300\n");
  struct Run {
    std::vector<std::string> args;
    int status;
    const char* says;
  };
  std::vector<Run> runs = {
      {{}, 2, "Usage: typekiln-import"},
      {{"--size", "0", kFixed}, 2, "--size wants a whole number of pixels from 1 to 255, not '0'"},
      {{"--shadow", "blur", kFixed}, 2, "--shadow wants drop, outline or none, not 'blur'"},
      {{"--shadow-offset", "0,0", kFixed}, 2, "not both 0, not '0,0'"},
      {{"--chars", "A\xC4\x80", kFixed}, 2, "--chars holds U+0100 (character 2)"},
      {{"--frobnicate", kFixed}, 2, "unknown option '--frobnicate'"},
      {{dir.File("missing.ttf")}, 1, "Cannot open: '"},
      {{dir.File("junk.ttf")}, 1, "is no font FreeType can read"},
      {{"--size", "14", kFixed}, 1, "has no strike of 14 pixels; its strikes are 13 pixels high"},
      {{kSans}, 1, "is no pixel font at any size from 6 to 48 pixels"},
      {{"--size", "13", dir.File("blank.ttf")}, 1, "draws every character asked for without ink"},
      {{"--chars", "A", dir.File("wide.fnt")},
       1,
       "a font holds at most 255; export the font at a smaller size from the tool that made it"},
  };
  // A FIFO would hold the run for ever, waiting for a writer.
  if (!test::WindowsTools() && mkfifo(dir.File("fifo.ttf").c_str(), 0644) == 0)
    runs.push_back(
        {{dir.File("fifo.ttf")}, 1, "is no regular file; name a font file, not a folder"});
  for (const auto& run : runs) {
    const Imported imported = Import(dir, run.args);
    EXPECT_EQ(imported.run.status, run.status) << run.says;
    EXPECT_NE(imported.run.err.find(run.says), std::string::npos) << imported.run.err;
    EXPECT_FALSE(std::filesystem::exists(imported.folder)) << run.says;
  }
}

// Under wine, the Windows tool writes the same three files, byte for byte, as this build's own.
TEST(Import, TheWindowsToolWritesWhatLinuxWrites) {
  if (!test::WindowsTools())
    GTEST_SKIP() << "runs against the Windows tools";
  test::TempDir dir;
  WriteBmFont(dir, RenderWithFreeType(kSansMono, 13, false, PrintableAscii()), "binary");
  ASSERT_EQ(test::RunProgram("/usr/bin/fonttosfnt", dir.File(""),
                             {"-b", "-o", dir.File("fixed.otb"), kFixed}, "", false)
                .status,
            0);
  const std::vector<std::vector<std::string>> fonts = {
      {"--size", "13", kSans},
      {"--mono", "--size", "20", "--shadow", "outline", kSans},
      {kFixed},
      {dir.File("fixed.otb")},
      {dir.File("font.fnt")}};
  for (const auto& args : fonts) {
    test::TempDir linux, windows;
    std::vector<std::string> words = args;
    words.push_back("out");
    ASSERT_EQ(test::RunProgram(test::LinuxImportBinary(), linux.File(""), words, "", false).status,
              0);
    ASSERT_EQ(test::RunProgram(test::ImportBinary(), windows.File(""), words, "", false).status, 0);
    for (const char* file : {"faces.tga", "shadows.tga", "font.tks"})
      EXPECT_EQ(test::ReadBytes(linux.File("out/") + file),
                test::ReadBytes(windows.File("out/") + file))
          << args.back() << ": " << file;
  }
}

}  // namespace
}  // namespace typekiln
