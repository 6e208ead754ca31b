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
#include <cstdarg>
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

// A page of the descriptor at `file`, as a failure names it: its id and its name.
struct PageName {
  std::string_view file;
  int id = 0;
  std::string name;

  // The failure the formatted message says of the page, which it names first.
  Failure Fails(const char* format, ...) const TYPEKILN_PRINTF(2, 3);
};

Failure PageName::Fails(const char* format, ...) const {
  va_list args;
  va_start(args, format);
  const std::string what = FormatList(format, args);
  va_end(args);
  return FailAt({file}, msg::kBmFontPage, id, name.substr(0, kLongestNameShown).c_str(),
                what.c_str());
}

// The failure of a page whose name does not stay inside the descriptor's folder, if it does not.
Failure LeavesFolder(const PageName& page) {
  const std::string_view name = page.name;
  const bool drive = name.size() >= 2 && name[1] == ':' &&
                     ((name[0] >= 'A' && name[0] <= 'Z') || (name[0] >= 'a' && name[0] <= 'z'));
  if ((!name.empty() && IsSeparator(name[0])) || drive)
    return page.Fails(msg::kBmFontPageAbsolute);
  for (std::size_t start = 0; start <= name.size();) {
    std::size_t end = start;
    while (end < name.size() && !IsSeparator(name[end])) ++end;
    if (name.substr(start, end - start) == "..")
      return page.Fails(msg::kBmFontPageClimbs);
    start = end + 1;
  }
  return {};
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

// Leaves out a PNG's empty IDAT chunks: stb's decoder copies an empty IDAT chunk that comes
// before any other from a null buffer, which is undefined behaviour, and such a chunk holds no
// image data, so the picture is the same without it. True, with the PNG's other bytes in
// `kept`, when there was one; the PNG is then read from `kept`. A chunk whose length runs past
// the end stops the walk, and stb finds the PNG cut short.
bool LeaveOutEmptyIdat(std::span<const std::uint8_t> png, std::vector<std::uint8_t>& kept) {
  constexpr std::size_t kSignatureSize = 8;
  constexpr std::size_t kChunkFraming = 12;  // length, type and checksum
  bool found = false;
  std::size_t copied = 0;  // the bytes before this are in `kept`, or are an empty IDAT
  for (std::size_t at = kSignatureSize; at <= png.size() && png.size() - at >= kChunkFraming;) {
    const std::uint32_t length = GetBE32(&png[at]);
    if (length > png.size() - at - kChunkFraming)
      break;
    if (length == 0 && std::equal(&png[at + 4], &png[at + 8], "IDAT")) {
      kept.insert(kept.end(), png.begin() + static_cast<std::ptrdiff_t>(copied),
                  png.begin() + static_cast<std::ptrdiff_t>(at));
      copied = at + kChunkFraming;
      found = true;
    }
    at += kChunkFraming + length;
  }
  if (found)
    kept.insert(kept.end(), png.begin() + static_cast<std::ptrdiff_t>(copied), png.end());
  return found;
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

// Reads the file of `page`, named from the descriptor's `folder`, into `bytes`.
Failure ReadPageFile(const std::string& folder, const PageName& page,
                     std::vector<std::uint8_t>& bytes) {
  if (Failure leaves = LeavesFolder(page); leaves.Failed())
    return leaves;
  const std::optional<std::filesystem::path> real =
      InsideFolder(folder, PagePath(folder, page.name));
  if (!real)
    return page.Fails(msg::kBmFontPageLinksOut);
  switch (ReadWholeFile(real->string(), kBmFontMaxPageBytes, bytes, true)) {
    case WholeFileRead::Read:
      return {};
    case WholeFileRead::TooLarge:
      return page.Fails(msg::kBmFontPageFileTooLarge,
                        static_cast<long long>(kBmFontMaxPageBytes >> 20));
    case WholeFileRead::NotRegular:
      return page.Fails(msg::kBmFontPageNotFile);
    case WholeFileRead::CannotOpen:
    case WholeFileRead::CannotRead:
      break;
  }
  return page.Fails(msg::kBmFontPageCannotRead);
}

// Decodes the file's `bytes` of the page `name` names into `page`, whose pixels `pixels` then
// owns, once its size is known to be within the limits. `pixelsRead` counts the pixels of the
// pages decoded so far.
Failure DecodePage(const PageName& name, std::span<const std::uint8_t> file,
                   std::int64_t& pixelsRead, BmFontPage& page, DecodedPixels& pixels) {
  int width = 0;
  int height = 0;
  int channels = 0;
  bool wide = false;
  const bool png = PngSize(file, width, height, wide);
  std::vector<std::uint8_t> kept;
  const std::span<const std::uint8_t> bytes =
      png && LeaveOutEmptyIdat(file, kept) ? std::span<const std::uint8_t>(kept) : file;
  const int size = static_cast<int>(bytes.size());  // the page file's limit keeps it in an int
  if (!png && stbi_info_from_memory(bytes.data(), size, &width, &height, &channels) == 0)
    return name.Fails(msg::kBmFontPageNotPicture);
  page.width = width;
  page.height = height;
  const std::int64_t area = std::int64_t{width} * height;
  // 16-bit samples take twice the memory while they are decoded.
  const std::int64_t counted = wide ? 2 * area : area;
  if (width > kBmFontMaxPageSide || height > kBmFontMaxPageSide || counted > kBmFontMaxPagePixels)
    return name.Fails(msg::kBmFontPageTooLarge, width, height,
                      static_cast<long long>(kBmFontMaxPageSide),
                      static_cast<long long>(kBmFontMaxPagePixels));
  if (png && stbi_info_from_memory(bytes.data(), size, &width, &height, &channels) == 0)
    return name.Fails(msg::kBmFontPageNotPicture);
  if (counted > kBmFontMaxPixelsRead - pixelsRead)
    return FailAt({name.file}, msg::kBmFontPagesTooLarge,
                  static_cast<long long>(kBmFontMaxPixelsRead));
  int decodedWidth = 0;
  int decodedHeight = 0;
  pixels.reset(stbi_load_from_memory(bytes.data(), size, &decodedWidth, &decodedHeight, &channels,
                                     kBytesPerPixel));
  if (pixels == nullptr || decodedWidth != width || decodedHeight != height)
    return name.Fails(msg::kBmFontPageDamaged);
  pixelsRead += counted;
  page.channels = channels;
  page.rgba = {pixels.get(), static_cast<std::size_t>(area) * kBytesPerPixel};
  return {};
}

// Reads and decodes the page `name` names into `page`.
Failure ReadPage(const std::string& folder, const PageName& name, std::int64_t& pixelsRead,
                 BmFontPage& page, DecodedPixels& pixels) {
  std::vector<std::uint8_t> bytes;
  if (Failure failure = ReadPageFile(folder, name, bytes); failure.Failed())
    return failure;
  return DecodePage(name, bytes, pixelsRead, page, pixels);
}

}  // namespace

Failure CutBmFontGlyphs(std::string_view file, const BmFontDescriptor& descriptor,
                        std::span<const BmFontPage> pages, const std::vector<std::uint8_t>& codes,
                        ImportedFont& font) {
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
    if (covered > kBmFontMaxGlyphPixels)
      return FailAt({file}, msg::kBmFontGlyphsTooLarge,
                    static_cast<long long>(kBmFontMaxGlyphPixels));
    const BmFontPage none;
    const std::size_t pageId = static_cast<std::size_t>(glyph->page);
    const BmFontPage& page = pageId < pages.size() ? pages[pageId] : none;
    if (!RectangleInPage(*glyph, page))
      return FailAt({file}, msg::kBmFontCharOutsidePage, glyph->id, glyph->page, page.width,
                    page.height);
    imported.width = glyph->width;
    imported.height = glyph->height;
    CutSamples(page, *glyph, CoverageChannel(descriptor, *glyph, page), imported.samples);
  }
  return {};
}

Failure ReadBmFont(const std::string& path, std::vector<std::uint8_t> bytes,
                   const std::vector<std::uint8_t>& codes, ImportedFont& font) {
  BmFontDescriptor descriptor;
  if (Failure failure = ParseBmFont(path, bytes, descriptor); failure.Failed())
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
    if (Failure failure = ReadPage(folder, {path, id, name}, pixelsRead,
                                   pages[static_cast<std::size_t>(id)], owner);
        failure.Failed())
      return failure;
    pagePaths.push_back(PagePath(folder, name));
  }
  Failure failure = CutBmFontGlyphs(path, descriptor, pages, codes, font);
  font.files = std::move(pagePaths);
  return failure;
}

}  // namespace typekiln
