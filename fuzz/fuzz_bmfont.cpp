// Arbitrary bytes as a BMFont descriptor, in whichever form they look like. One that reads has
// every Latin-1 character from '!' up cut from pages in memory, the same 64 x 64 pattern for each
// page id, held with 1 to 4 channels in turn so that every choice of coverage channel is made;
// then its sheet is drawn, with the shadow the input's last byte chooses, and built. Every failure
// is turned into its message.

#include <cstdlib>
#include <vector>

#include "fuzz_support.h"
#include "import/bmfont/bmfont_font.h"
#include "import/bmfont/bmfont_reader.h"
#include "import/sheet/char_list.h"
#include "sheet_check.h"

namespace {

constexpr int kPageSide = 64;

std::vector<std::uint8_t> PagePattern() {
  std::vector<std::uint8_t> rgba(kPageSide * kPageSide * 4);
  for (std::size_t i = 0; i < rgba.size(); ++i)
    rgba[i] = static_cast<std::uint8_t>(i * 37 + i / 256);
  return rgba;
}

// Every Latin-1 character a CharSet line holds, from '!' on.
std::vector<std::uint8_t> AskedCodes() {
  std::vector<std::uint8_t> codes;
  for (int code = 0x21; code < 0x21 + typekiln::kMaxCharSetCodes - 2; ++code)
    codes.push_back(static_cast<std::uint8_t>(code));
  return codes;
}

}  // namespace

void typekiln::fuzz::FuzzOne(const std::uint8_t* data, std::size_t size) {
  static const std::vector<std::uint8_t> pattern = PagePattern();
  static const std::vector<std::uint8_t> codes = AskedCodes();
  static const std::vector<BmFontPage> pages = [] {
    std::vector<BmFontPage> all(kBmFontMaxPages);
    for (std::size_t id = 0; id < all.size(); ++id)
      all[id] = {kPageSide, kPageSide, static_cast<int>(id % 4) + 1, pattern};
    return all;
  }();

  BmFontDescriptor descriptor;
  Failure failure = ParseBmFont("fuzz.fnt", {data, size}, descriptor);
  if (!failure.Failed()) {
    ImportedFont font;
    failure = CutBmFontGlyphs("fuzz.fnt", descriptor, pages, codes, font);
    if (!failure.Failed()) {
      fuzz::CheckImportedFont(font, codes);
      const std::uint8_t last = size > 0 ? data[size - 1] : 0;
      fuzz::CheckSheet(font, {static_cast<ShadowStyle>(last % 3), last / 3 % 17 - 8, 1});
    }
  }
  if (failure.Failed() && failure.message().ends_with(": "))
    std::abort();  // a problem without the words that say it
}
