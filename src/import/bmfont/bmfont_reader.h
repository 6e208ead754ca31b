#pragma once

// Reads a BMFont descriptor (.fnt) in any of its three forms, from bytes in memory; no files.
//
// Binary (the file starts with "BMF" and the version byte 3): blocks, each a type byte, a
// 4-byte little-endian size of its data, then the data, little-endian throughout:
//
//   type  data
//      1  info: int16 size, uint8 flags, uint8 charset, uint16 stretchH, uint8 aa,
//         4 x uint8 padding, 2 x uint8 spacing, uint8 outline, the face name ending in a NUL
//      2  common: uint16 lineHeight, base, scaleW, scaleH, pages, uint8 flags (bit 7 packed),
//         uint8 alphaChnl, redChnl, greenChnl, blueChnl (15 bytes; more are ignored)
//      3  pages: the page file names, each ending in a NUL, page 0 first
//      4  chars: 20 bytes each: uint32 id, uint16 x, y, width, height, int16 xoffset, yoffset,
//         xadvance, uint8 page, uint8 chnl
//      5  kerning pairs: 10 bytes each: uint32 first, uint32 second, int16 amount
//
// XML (the first non-blank byte, after an optional UTF-8 byte order mark, is '<'): the elements
// info, common, page, char and kerning, wherever they stand, with the same keys as attributes
// in double or single quotes; the entities &quot; &amp; &lt; &gt; &apos; and &#N; / &#xN; are
// decoded; <?...?>, <!...> and comments are skipped; other elements are ignored.
//
// Text (anything else): one record a line (LF or CR LF), a tag word then key=value pairs; a
// string value in double quotes may hold blanks; blanks may pad a value; unknown tags and keys
// are ignored; keys match whatever their case.
//
// Every number is checked against its range as it is read, so that nothing later can overflow
// an int. A descriptor must have a common record, and every page a char is on must be named.
// When a char id repeats, its first char counts.

#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "report/failure.h"

namespace typekiln {

enum class BmFontForm { Text, Xml, Binary };

/// One glyph: its rectangle in its page, where that is drawn from the pen on the line's top,
/// and the channels of the page that hold it (1 blue, 2 green, 4 red, 8 alpha; 0 and 15 alpha).
struct BmFontChar {
  std::uint32_t id = 0;  ///< the code point; a text form's -1 (an "invalid" glyph) is 0xFFFFFFFF
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  int xoffset = 0;
  int yoffset = 0;
  int xadvance = 0;
  int page = 0;
  int chnl = 15;
};

struct BmFontDescriptor {
  BmFontForm form = BmFontForm::Text;
  std::string face;  ///< info face
  int size = 0;      ///< info size; negative in some writers
  bool hasCommon = false;
  int lineHeight = 0;
  int base = 0;  ///< rows from the line's top down to the baseline
  int scaleW = 0;
  int scaleH = 0;
  int pages = 0;
  bool packed = false;
  /// What each channel holds: 0 the glyph, 1 the outline, 2 both, 3 zero, 4 one.
  int alphaChnl = 0;
  int redChnl = 0;
  int greenChnl = 0;
  int blueChnl = 0;
  std::map<int, std::string> pageFiles;  ///< by page id, as the descriptor names them
  std::vector<BmFontChar> chars;         ///< in the descriptor's order, each id once
  int kerningPairs = 0;
};

/// The limits a descriptor is held to.
inline constexpr int kBmFontMaxPages = 256;  ///< page ids 0 to 255, as the binary form's byte
inline constexpr int kBmFontMaxChars = 65536;
inline constexpr int kBmFontMaxKerningPairs = 1 << 24;
inline constexpr int kBmFontMaxCoordinate = 65535;  ///< sizes, positions; offsets within +/-

/// Where in a descriptor a failure lies: the descriptor's name, and a line of the text and XML
/// forms (from 1) or the byte of the binary one that the block or field starts at; neither when
/// it lies at no one place.
struct BmFontPlace {
  std::string_view file;
  int line = 0;
  std::int64_t offset = -1;
};

/// The failure at `place`: the descriptor, the place, then the formatted message, as one line
/// (bytes the descriptor wrote that would end it or move the cursor read '?').
Failure FailAt(const BmFontPlace& place, const char* format, ...) TYPEKILN_PRINTF(2, 3);

/// The descriptor that `bytes` hold, in whichever form, into `descriptor` (reset first); `file`
/// names it in a failure. On a failure `descriptor` holds what was read before it and must not be
/// used.
Failure ParseBmFont(std::string_view file, std::span<const std::uint8_t> bytes,
                    BmFontDescriptor& descriptor);

}  // namespace typekiln
