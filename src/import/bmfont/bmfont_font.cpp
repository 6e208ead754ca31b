#include "import/bmfont/bmfont_font.h"

// The page decoder is stb's, built here for typekiln-import alone: PNG and TGA only, from memory,
// and static, so that it cannot clash with the copy typekiln-inspect builds for its own PNGs.
#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_STATIC
#define STBI_ONLY_PNG
#define STBI_ONLY_TGA
#define STBI_NO_STDIO
#define STBI_NO_FAILURE_STRINGS
#include <stb_image.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <string_view>

#include "import/import_messages.h"
#include "io/binary_file.h"
#include "io/byte_order.h"
#include "report/console.h"

namespace typekiln {

namespace {

enum Channel { kRed, kGreen, kBlue, kAlpha };
constexpr int kBytesPerPixel = 4;
constexpr int kLatin1Codes = 256;
constexpr std::uint32_t kSpace = 0x20;
// A page's file name is cut to this many bytes in a message.
constexpr std::size_t kLongestNameShown = 256;

BmFontFailure Fail(BmFontProblem problem) {
  BmFontFailure failure;
  failure.problem = problem;
  return failure;
}

// Which byte of a page's pixels holds the coverage of `glyph`.
int CoverageChannel(const BmFontDescriptor& descriptor, const BmFontChar& glyph,
                    const BmFontPage& page) {
  const int chnl = glyph.chnl;
  const int channel = chnl == 0 || (chnl & 8) != 0 ? kAlpha
                      : (chnl & 4) != 0            ? kRed
                      : (chnl & 2) != 0            ? kGreen
                                                   : kBlue;
  const bool alphaBlank = descriptor.alphaChnl == 3 || descriptor.alphaChnl == 4;
  const bool redHoldsGlyph = descriptor.redChnl == 0 || descriptor.redChnl == 2;
  const bool pageHasAlpha = page.channels == 2 || page.channels == 4;
  if (channel == kAlpha && (!pageHasAlpha || (alphaBlank && redHoldsGlyph)))
    return kRed;
  return channel;
}

// True when the glyph's rectangle lies inside the page, whose pixels are all there.
bool RectangleInPage(const BmFontChar& glyph, const BmFontPage& page) {
  const std::int64_t pageBytes =
      std::int64_t{page.width} * std::int64_t{page.height} * kBytesPerPixel;
  return page.width >= 0 && page.height >= 0 &&
         static_cast<std::int64_t>(page.rgba.size()) >= pageBytes &&
         glyph.x + glyph.width <= page.width && glyph.y + glyph.height <= page.height;
}

// The face's name as a short line of plain text: control characters become blanks, and a long
// name is cut, between two UTF-8 sequences.
std::string PlainText(std::string text) {
  constexpr std::size_t kLongest = 200;
  if (text.size() > kLongest) {
    std::size_t end = kLongest;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
    text.resize(end);
  }
  for (char& c : text)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
      c = ' ';
  return text;
}

// Copies the glyph's rectangle out of its page, one sample per pixel.
void CutSamples(const BmFontPage& page, const BmFontChar& glyph, int channel,
                std::vector<std::uint8_t>& samples) {
  samples.resize(static_cast<std::size_t>(glyph.width) * static_cast<std::size_t>(glyph.height));
  std::size_t out = 0;
  for (int y = glyph.y; y < glyph.y + glyph.height; ++y) {
    std::size_t in = (static_cast<std::size_t>(y) * static_cast<std::size_t>(page.width) +
                      static_cast<std::size_t>(glyph.x)) *
                         kBytesPerPixel +
                     static_cast<std::size_t>(channel);
    for (int x = 0; x < glyph.width; ++x, in += kBytesPerPixel)
      samples[out++] = QuantiseCoverage(page.rgba[in]);
  }
}

// ---- Files.

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

// The folder part of the descriptor's path, with its last separator; "" for the current folder.
// The system's own rules tell the parts apart ("\\" and a drive's ":" count on Windows).
std::string FolderOf(const std::string& path) {
  return std::filesystem::path(path).remove_filename().string();
}

// None for a page name that stays inside the descriptor's folder.
BmFontProblem CheckPageName(std::string_view name) {
  const bool drive = name.size() >= 2 && name[1] == ':' &&
                     ((name[0] >= 'A' && name[0] <= 'Z') || (name[0] >= 'a' && name[0] <= 'z'));
  if ((!name.empty() && IsSeparator(name[0])) || drive)
    return BmFontProblem::PageNameAbsolute;
  for (std::size_t start = 0; start <= name.size();) {
    std::size_t end = start;
    while (end < name.size() && !IsSeparator(name[end])) ++end;
    if (name.substr(start, end - start) == "..")
      return BmFontProblem::PageNameClimbs;
    start = end + 1;
  }
  return BmFontProblem::None;
}

using DecodedPixels = std::unique_ptr<stbi_uc, void (*)(void*)>;

// The size a PNG's header gives, read here because stb's decoder refuses to tell the size of a
// picture too large for it, and whether its samples are 16 bits; false for what is not a PNG.
bool PngSize(std::span<const std::uint8_t> bytes, int& width, int& height, bool& wide) {
  constexpr std::string_view kSignature = "\x89PNG\r\n\x1a\nxxxxIHDR";
  constexpr std::size_t kWidthAt = 16;
  constexpr std::size_t kDepthAt = 24;
  if (bytes.size() <= kDepthAt ||
      !std::equal(kSignature.begin(), kSignature.end(), bytes.begin(), [](char want, auto have) {
        return want == 'x' || static_cast<std::uint8_t>(want) == have;
      }))
    return false;
  const std::uint32_t widthField = GetBE32(&bytes[kWidthAt]);
  const std::uint32_t heightField = GetBE32(&bytes[kWidthAt + 4]);
  width = static_cast<int>(std::min<std::uint32_t>(widthField, 0x7FFFFFFF));
  height = static_cast<int>(std::min<std::uint32_t>(heightField, 0x7FFFFFFF));
  wide = bytes[kDepthAt] > 8;
  return true;
}

// The page's path: its name in the descriptor's folder, "\" parting folders as "/" does.
std::string PagePath(const std::string& folder, const std::string& name) {
  std::string path = folder + name;
  std::replace(path.begin() + static_cast<std::ptrdiff_t>(folder.size()), path.end(), '\\', '/');
  return path;
}

// Where `path` leads once every link on it is followed, when that is inside `folder`; none for a
// path that leads out, or that cannot be followed (the file is missing).
std::optional<std::filesystem::path> InsideFolder(const std::string& folder,
                                                  const std::string& path) {
  std::error_code baseError;
  std::error_code realError;
  const std::filesystem::path base =
      std::filesystem::canonical(folder.empty() ? "." : folder, baseError);
  const std::filesystem::path real = std::filesystem::canonical(path, realError);
  if (baseError || realError)
    return std::filesystem::path(path);  // reading it will say it cannot be read
  const std::filesystem::path within = real.lexically_relative(base);
  if (within.empty() || *within.begin() == "..")
    return std::nullopt;
  return real;
}

// Reads the file of page `id`, named `name` from the descriptor's `folder`, into `bytes`.
BmFontFailure ReadPageFile(const std::string& folder, int id, const std::string& name,
                           std::vector<std::uint8_t>& bytes) {
  BmFontFailure failure;
  failure.page = id;
  failure.text = name.substr(0, kLongestNameShown);
  failure.problem = CheckPageName(name);
  if (failure.Failed())
    return failure;
  const std::optional<std::filesystem::path> real = InsideFolder(folder, PagePath(folder, name));
  if (!real) {
    failure.problem = BmFontProblem::PageLinksOut;
    return failure;
  }
  switch (ReadWholeFile(real->string(), kBmFontMaxPageBytes, bytes, true)) {
    case WholeFileRead::Read:
      return {};
    case WholeFileRead::TooLarge:
      failure.problem = BmFontProblem::PageFileTooLarge;
      failure.high = kBmFontMaxPageBytes;
      return failure;
    case WholeFileRead::NotRegular:
      failure.problem = BmFontProblem::PageNotFile;
      return failure;
    case WholeFileRead::CannotOpen:
    case WholeFileRead::CannotRead:
      break;
  }
  failure.problem = BmFontProblem::PageCannotRead;
  return failure;
}

// Decodes the page file's `bytes` into `page`, whose pixels `pixels` then owns, once its size is
// known to be within the limits. `pixelsRead` counts the pixels of the pages decoded so far.
BmFontProblem DecodePage(std::span<const std::uint8_t> bytes, std::int64_t& pixelsRead,
                         BmFontPage& page, DecodedPixels& pixels) {
  const int size = static_cast<int>(bytes.size());  // the page file's limit keeps it in an int
  int width = 0;
  int height = 0;
  int channels = 0;
  bool wide = false;
  const bool png = PngSize(bytes, width, height, wide);
  if (!png && stbi_info_from_memory(bytes.data(), size, &width, &height, &channels) == 0)
    return BmFontProblem::PageNotPicture;
  page.width = width;
  page.height = height;
  const std::int64_t area = std::int64_t{width} * height;
  // 16-bit samples take twice the memory while they are decoded.
  const std::int64_t counted = wide ? 2 * area : area;
  if (width > kBmFontMaxPageSide || height > kBmFontMaxPageSide || counted > kBmFontMaxPagePixels)
    return BmFontProblem::PageTooLarge;
  if (png && stbi_info_from_memory(bytes.data(), size, &width, &height, &channels) == 0)
    return BmFontProblem::PageNotPicture;
  if (counted > kBmFontMaxPixelsRead - pixelsRead)
    return BmFontProblem::PagesTooLarge;
  int decodedWidth = 0;
  int decodedHeight = 0;
  pixels.reset(stbi_load_from_memory(bytes.data(), size, &decodedWidth, &decodedHeight, &channels,
                                     kBytesPerPixel));
  if (pixels == nullptr || decodedWidth != width || decodedHeight != height)
    return BmFontProblem::PageDamaged;
  pixelsRead += counted;
  page.channels = channels;
  page.rgba = {pixels.get(), static_cast<std::size_t>(area) * kBytesPerPixel};
  return BmFontProblem::None;
}

// Reads and decodes page `id`, named `name`, into `page`.
BmFontFailure ReadPage(const std::string& folder, int id, const std::string& name,
                       std::int64_t& pixelsRead, BmFontPage& page, DecodedPixels& pixels) {
  std::vector<std::uint8_t> bytes;
  BmFontFailure failure = ReadPageFile(folder, id, name, bytes);
  if (failure.Failed())
    return failure;
  failure.page = id;
  failure.text = name.substr(0, kLongestNameShown);
  failure.problem = DecodePage(bytes, pixelsRead, page, pixels);
  failure.width = page.width;
  failure.height = page.height;
  failure.low = kBmFontMaxPageSide;
  failure.high =
      failure.problem == BmFontProblem::PagesTooLarge ? kBmFontMaxPixelsRead : kBmFontMaxPagePixels;
  return failure;
}

}  // namespace

BmFontFailure CutBmFontGlyphs(const BmFontDescriptor& descriptor, std::span<const BmFontPage> pages,
                              const std::vector<std::uint8_t>& codes, ImportedFont& font) {
  font = {};
  font.kind = FontKind::BmFont;
  font.description = Format(msg::kBmFontDescription, PlainText(descriptor.face).c_str(),
                            std::abs(descriptor.size));
  font.kerningPairs = descriptor.kerningPairs;
  std::array<const BmFontChar*, kLatin1Codes> byCode{};
  for (const BmFontChar& glyph : descriptor.chars)
    if (glyph.id < kLatin1Codes && byCode[glyph.id] == nullptr)
      byCode[glyph.id] = &glyph;
  if (byCode[kSpace] != nullptr)
    font.spaceAdvance = byCode[kSpace]->xadvance;

  std::int64_t covered = 0;
  for (const std::uint8_t code : codes) {
    const BmFontChar* glyph = byCode[code];
    if (glyph == nullptr) {
      font.missing.push_back(code);
      continue;
    }
    ImportedGlyph& imported = font.glyphs.emplace_back();
    imported.code = code;
    imported.left = glyph->xoffset;
    imported.top = descriptor.base - glyph->yoffset;
    imported.advance = glyph->xadvance;
    if (glyph->width == 0 || glyph->height == 0)
      continue;  // an advance alone
    covered += std::int64_t{glyph->width} * glyph->height;
    if (covered > kBmFontMaxGlyphPixels) {
      BmFontFailure failure = Fail(BmFontProblem::GlyphsTooLarge);
      failure.high = kBmFontMaxGlyphPixels;
      return failure;
    }
    const BmFontPage none;
    const std::size_t pageId = static_cast<std::size_t>(glyph->page);
    const BmFontPage& page = pageId < pages.size() ? pages[pageId] : none;
    if (!RectangleInPage(*glyph, page)) {
      BmFontFailure failure = Fail(BmFontProblem::CharOutsidePage);
      failure.charId = glyph->id;
      failure.page = glyph->page;
      failure.width = page.width;
      failure.height = page.height;
      return failure;
    }
    imported.width = glyph->width;
    imported.height = glyph->height;
    CutSamples(page, *glyph, CoverageChannel(descriptor, *glyph, page), imported.samples);
  }
  return {};
}

BmFontFailure ReadBmFont(const std::string& path, std::vector<std::uint8_t> bytes,
                         const std::vector<std::uint8_t>& codes, ImportedFont& font) {
  BmFontDescriptor descriptor;
  if (BmFontFailure failure = ParseBmFont(bytes, descriptor); failure.Failed())
    return failure;
  bytes = {};

  // Only the pages that hold the pixels of a character asked for are read.
  std::array<bool, kLatin1Codes> asked{};
  for (const std::uint8_t code : codes) asked[code] = true;
  std::array<bool, kBmFontMaxPages> needed{};
  for (const BmFontChar& glyph : descriptor.chars)
    if (glyph.id < kLatin1Codes && asked[glyph.id] && glyph.width > 0 && glyph.height > 0)
      needed[static_cast<std::size_t>(glyph.page)] = true;
  std::vector<BmFontPage> pages(kBmFontMaxPages);
  std::vector<DecodedPixels> pixels;
  std::int64_t pixelsRead = 0;
  const std::string folder = FolderOf(path);
  std::vector<std::string> pagePaths;
  for (const auto& [id, name] : descriptor.pageFiles) {
    if (!needed[static_cast<std::size_t>(id)])
      continue;
    DecodedPixels& owner = pixels.emplace_back(nullptr, stbi_image_free);
    if (BmFontFailure failure =
            ReadPage(folder, id, name, pixelsRead, pages[static_cast<std::size_t>(id)], owner);
        failure.Failed())
      return failure;
    pagePaths.push_back(PagePath(folder, name));
  }
  BmFontFailure failure = CutBmFontGlyphs(descriptor, pages, codes, font);
  font.files = std::move(pagePaths);
  return failure;
}

namespace {

// What is wrong, without where.
std::string DescribeProblem(const BmFontFailure& f) {
  using P = BmFontProblem;
  const char* key = f.key.c_str();
  const char* text = f.text.c_str();
  const long long value = f.value;
  const long long low = f.low;
  const long long high = f.high;
  switch (f.problem) {
    case P::None:
      return {};
    case P::BinaryVersion:
      return Format(msg::kBmFontVersion, value);
    case P::NoVersion:
      return msg::kBmFontNoVersion;
    case P::BlockHeaderCut:
      return msg::kBmFontBlockHeaderCut;
    case P::BlockPastEnd:
      return Format(msg::kBmFontBlockPastEnd, f.block, value);
    case P::BlockType:
      return Format(msg::kBmFontBlockType, f.block);
    case P::BlockTooShort:
      return Format(msg::kBmFontBlockTooShort, f.block, value);
    case P::BlockRecords:
      return Format(msg::kBmFontBlockRecords, f.block, value, high);
    case P::NameNotEnded:
      return Format(msg::kBmFontNameNotEnded, f.block);
    case P::StringNotClosed:
      return msg::kBmFontStringNotClosed;
    case P::BadXml:
      return msg::kBmFontBadXml;
    case P::BadEntity:
      return Format(msg::kBmFontBadEntity, text);
    case P::BadNumber:
      return Format(msg::kBmFontBadNumber, key, text);
    case P::OutOfRange:
      return Format(msg::kBmFontOutOfRange, key, text, low, high);
    case P::NoCharId:
      return msg::kBmFontNoCharId;
    case P::NoPageId:
      return msg::kBmFontNoPageId;
    case P::TooManyChars:
      return Format(msg::kBmFontTooManyChars, high);
    case P::TooManyKerningPairs:
      return Format(msg::kBmFontTooManyKerningPairs, high);
    case P::NoCommon:
      return msg::kBmFontNoCommon;
    case P::PageNotNamed:
      return Format(msg::kBmFontPageNotNamed, f.charId, f.page);
    case P::PageNameAbsolute:
      return Format(msg::kBmFontPageAbsolute, f.page, text);
    case P::PageNameClimbs:
      return Format(msg::kBmFontPageClimbs, f.page, text);
    case P::PageLinksOut:
      return Format(msg::kBmFontPageLinksOut, f.page, text);
    case P::PageNotFile:
      return Format(msg::kBmFontPageNotFile, f.page, text);
    case P::PageCannotRead:
      return Format(msg::kBmFontPageCannotRead, f.page, text);
    case P::PageFileTooLarge:
      return Format(msg::kBmFontPageFileTooLarge, f.page, text, high >> 20);
    case P::PageNotPicture:
      return Format(msg::kBmFontPageNotPicture, f.page, text);
    case P::PageTooLarge:
      return Format(msg::kBmFontPageTooLarge, f.page, text, f.width, f.height, low, high);
    case P::PageDamaged:
      return Format(msg::kBmFontPageDamaged, f.page, text);
    case P::PagesTooLarge:
      return Format(msg::kBmFontPagesTooLarge, high);
    case P::CharOutsidePage:
      return Format(msg::kBmFontCharOutsidePage, f.charId, f.page, f.width, f.height);
    case P::GlyphsTooLarge:
      return Format(msg::kBmFontGlyphsTooLarge, high);
  }
  return {};
}

}  // namespace

std::string DescribeBmFontFailure(const std::string& path, const BmFontFailure& failure) {
  const std::string where =
      failure.line > 0 ? Format(msg::kBmFontAtLine, path.c_str(), failure.line)
      : failure.offset >= 0
          ? Format(msg::kBmFontAtByte, path.c_str(), static_cast<long long>(failure.offset))
          : Format(msg::kBmFontIn, path.c_str());
  // What the descriptor wrote may hold line ends and other control bytes; the message is one line.
  std::string message = where + DescribeProblem(failure);
  for (char& c : message)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
      c = '?';
  return message;
}

}  // namespace typekiln
