// Arbitrary bytes as a font FreeType reads, through the whole import in memory. The first byte
// chooses the options: bit 0 --mono, bits 1 and 2 the shadow (drop, outline, none), bits 3 to 7
// the size (0: none, so that a scalable font is tried as a pixel font); the rest is the font
// file, compressed or not. A font that reads has printable ASCII and a few Latin-1 characters
// rendered, its sheet drawn and built, and every failure turned into its message.

#include <cstdlib>
#include <vector>

#include "fuzz_support.h"
#include "import/freetype/freetype_font.h"
#include "import/sheet/char_list.h"
#include "sheet_check.h"

namespace {

// A font that reads must render in a fraction of the time a fuzz input is given.
constexpr std::chrono::milliseconds kTimeLimit{1000};

std::vector<std::uint8_t> AskedCodes() {
  std::vector<std::uint8_t> codes = typekiln::DefaultCharList();
  codes.insert(codes.end(), {0xA0, 0xC9, 0xE9, 0xFF});
  return codes;
}

}  // namespace

void typekiln::fuzz::FuzzOne(const std::uint8_t* data, std::size_t size) {
  if (size < 1)
    return;
  static const std::vector<std::uint8_t> codes = AskedCodes();
  FreeTypeOptions options;
  options.mono = (data[0] & 1) != 0;
  if (const int pixels = data[0] >> 3; pixels > 0)
    options.size = pixels;
  options.timeLimit = kTimeLimit;
  SheetOptions sheet;
  sheet.shadow = static_cast<ShadowStyle>((data[0] >> 1) % 3);

  ImportedFont font;
  const Failure failure =
      ReadFreeTypeFont("fuzz.ttf", {data + 1, data + size}, options, codes, font);
  if (!failure.Failed()) {
    fuzz::CheckImportedFont(font, codes);
    fuzz::CheckSheet(font, sheet);
  } else if (failure.message().ends_with("(FreeType: )")) {
    std::abort();  // an error without the words that say it
  }
}
