#pragma once

// A BMFont descriptor and its page pictures as an ImportedFont: the characters asked for, cut out
// of their pages. CutBmFontGlyphs does the cutting on pages in memory; ReadBmFont reads the
// descriptor and the pages it needs from files, then cuts.
//
// Each glyph's coverage comes from one channel of its page: chnl 8, 0 or 15 alpha, 4 red,
// 2 green, 1 blue (any other mix: the first of alpha, red, green, blue it has). Alpha gives way
// to red, which a grey picture's decoder fills with the grey, when the page has no alpha of its
// own, or when the common record says the alpha channel is blank (alphaChnl 3 or 4) while the
// red channel holds the glyph (redChnl 0 or 2).

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "import/bmfont_reader.h"
#include "import/imported_font.h"

namespace typekiln {

/// A page picture decoded to 8-bit red, green, blue, alpha.
struct BmFontPage {
  int width = 0;
  int height = 0;
  int channels = 4;  ///< what the file held: 1 grey, 2 grey and alpha, 3 RGB, 4 RGBA
  std::span<const std::uint8_t> rgba;  ///< width x height pixels, rows from the top; not owned
};

/// The most pixels a page read from a file may have on a side, and in all.
inline constexpr int kBmFontMaxPageSide = 16384;
inline constexpr std::int64_t kBmFontMaxPagePixels = std::int64_t{1} << 28;
/// The most pixels the pages read for one font may hold together, and that the glyphs asked for
/// may cover together.
inline constexpr std::int64_t kBmFontMaxPixelsRead = std::int64_t{1} << 28;
inline constexpr std::int64_t kBmFontMaxGlyphPixels = std::int64_t{1} << 26;
/// The largest descriptor and page file read.
inline constexpr std::int64_t kBmFontMaxDescriptorBytes = std::int64_t{64} << 20;
inline constexpr std::int64_t kBmFontMaxPageBytes = std::int64_t{256} << 20;

/// Fills `font` (reset first) with the glyph of each of `codes` that `descriptor` has a char for
/// (id == code), in the order asked, and lists the others in `missing`. `pages` is indexed by
/// page id; a page that was not read is left empty. Each glyph's rectangle must lie in its page
/// (CharOutsidePage); one of no pixels needs no page. A glyph's samples are its coverage
/// quantised to 0..15; `left` is xoffset, `top` base - yoffset, `advance` xadvance.
BmFontFailure CutBmFontGlyphs(const BmFontDescriptor& descriptor, std::span<const BmFontPage> pages,
                              const std::vector<std::uint8_t>& codes, ImportedFont& font);

/// Reads the descriptor at `path` and the PNG or TGA pages its chars for `codes` are on, named
/// from the descriptor's folder (never an absolute name or one with a ".." part; "/" and "\"
/// both part folders), and cuts them as CutBmFontGlyphs does. The pages read are listed in
/// `font.files`, so that nothing is written over them.
BmFontFailure ReadBmFont(const std::string& path, const std::vector<std::uint8_t>& codes,
                         ImportedFont& font);

/// The one-line message for `failure` of the descriptor at `path`, which it names.
std::string DescribeBmFontFailure(const std::string& path, const BmFontFailure& failure);

}  // namespace typekiln
