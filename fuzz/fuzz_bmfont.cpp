// Arbitrary bytes as a BMFont descriptor, in whichever form they look like. One that reads has
// every Latin-1 character from '!' up cut from pages in memory, the same 64 x 64 pattern for each
// page id, held with 1 to 4 channels in turn so that every choice of coverage channel is made;
// then its sheet is drawn, with the shadow the input's last byte chooses, and built.
//
// Bytes that are no descriptor are then the file of a page: a descriptor of fixed chars, each on a
// channel of its own, is read with its page from a folder of the target's own, so that the page's
// file is read, decoded and cut as typekiln-import does it. Every failure is turned into its
// message.

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
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

// A folder made for the target's run and removed with it, holding the page file.
class PageFolder {
 public:
  PageFolder() {
    std::string name = (std::filesystem::temp_directory_path() / "fuzz-bmfont-XXXXXX").string();
    if (mkdtemp(name.data()) == nullptr)
      std::abort();
    path_ = name;
  }
  ~PageFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  PageFolder(const PageFolder&) = delete;
  PageFolder& operator=(const PageFolder&) = delete;
  std::string File(const char* name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

// A descriptor whose chars take every coverage channel, on one page that must be at least
// 14 x 13 pixels for them all; the last has no pixels and needs none.
constexpr char kPagedDescriptor[] =
    "common lineHeight=12 base=9 pages=1\n"
    "page id=0 file=\"page.bin\"\n"
    "char id=65 x=0 y=0 width=8 height=10 xoffset=0 yoffset=1 xadvance=9 page=0 chnl=15\n"
    "char id=66 x=8 y=0 width=6 height=6 xadvance=7 page=0 chnl=4\n"
    "char id=67 x=0 y=10 width=3 height=3 xadvance=4 page=0 chnl=2\n"
    "char id=68 x=1 y=1 width=1 height=1 xadvance=2 page=0 chnl=1\n"
    "char id=69 x=2 y=2 width=10 height=10 xadvance=11 page=0 chnl=8\n"
    "char id=70 x=0 y=0 width=0 height=0 xadvance=3 page=0 chnl=0\n";

// The bytes as the file of the page of kPagedDescriptor.
void ReadAsPage(const std::uint8_t* data, std::size_t size) {
  static const PageFolder folder;
  std::ofstream(folder.File("page.bin"), std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  const std::string descriptor = folder.File("paged.fnt");
  typekiln::ImportedFont font;
  const std::vector<std::uint8_t> codes = {'A', 'B', 'C', 'D', 'E', 'F'};
  const typekiln::Failure failure = typekiln::ReadBmFont(
      descriptor,
      std::vector<std::uint8_t>(std::begin(kPagedDescriptor), std::end(kPagedDescriptor) - 1),
      codes, font);
  if (failure.Failed() && failure.message().ends_with(": "))
    std::abort();
  if (!failure.Failed())
    typekiln::fuzz::CheckImportedFont(font, codes);
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
  const bool parsed = !failure.Failed();
  if (parsed) {
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
  // A picture is no descriptor: only bytes that are none are read again as a page, so that
  // descriptors keep the speed of a run in memory.
  if (!parsed)
    ReadAsPage(data, size);
}
