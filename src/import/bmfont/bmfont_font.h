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
#include <string_view>
#include <vector>

#include "import/bmfont/bmfont_reader.h"
#include "import/imported_font.h"

namespace typekiln {

/// A page picture decoded to 8-bit red, green, blue, alpha.
struct BmFontPage {
  int width = 0;
  int height = 0;
  int channels = 4;  ///< what the file held: 1 grey, 2 grey and alpha, 3 RGB, 4 RGBA
  std::span<const std::uint8_t> rgba;  ///< width x height pixels, rows from the top; not owned
};

/// The most pixels a page read from a file may have on a side, and in all: 4096 x 4096, whose
/// decoding takes at most about 128 MiB (a page of 16-bit samples counts each pixel twice). The
/// pages read for one font may hold as many pixels together, which they keep until every glyph is
/// cut. The glyphs asked for may cover at most kBmFontMaxGlyphPixels together: 119 characters
/// of the largest a font holds, 255 x 255, cover less.
inline constexpr int kBmFontMaxPageSide = 16384;
inline constexpr std::int64_t kBmFontMaxPagePixels = std::int64_t{1} << 24;
inline constexpr std::int64_t kBmFontMaxPixelsRead = kBmFontMaxPagePixels;
inline constexpr std::int64_t kBmFontMaxGlyphPixels = std::int64_t{1} << 23;
/// The largest page file read: a raw 32-bit TGA of kBmFontMaxPagePixels, and its header.
inline constexpr std::int64_t kBmFontMaxPageBytes = std::int64_t{65} << 20;

/// Fills `font` (reset first) with the glyph of each of `codes` that `descriptor` has a char for
/// (id == code), in the order asked, and lists the others in `missing`. `pages` is indexed by
/// page id; a page that was not read is left empty. Each glyph's rectangle must lie in its page
/// (it fails when not); one of no pixels needs no page. A glyph's samples are its coverage
/// quantised to 0..15; `left` is xoffset, `top` base - yoffset, `advance` xadvance.
/// `file` names the descriptor in a failure.
Failure CutBmFontGlyphs(std::string_view file, const BmFontDescriptor& descriptor,
                        std::span<const BmFontPage> pages, const std::vector<std::uint8_t>& codes,
                        ImportedFont& font);

/// Reads the descriptor whose file, at `path`, holds `bytes` (let go of once it is read), and
/// the PNG or TGA pages its chars for `codes` are on, and cuts them as CutBmFontGlyphs does. A
/// page is named from the descriptor's folder ("/" and "\" both part folders) and must stay in
/// it: never an absolute name, one with a ".." part, or a link that leads out; and it must be a
/// regular file. The pages read are listed in `font.files`, so that nothing is written over them.
Failure ReadBmFont(const std::string& path, std::vector<std::uint8_t> bytes,
                   const std::vector<std::uint8_t>& codes, ImportedFont& font);

}  // namespace typekiln
