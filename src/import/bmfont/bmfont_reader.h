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
#include <vector>

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

/// What went wrong with a BMFont descriptor or its pages. The first part is found by
/// ParseBmFont, the rest by the reading and cutting of bmfont_font.h.
enum class BmFontProblem {
  None,
  // The binary form.
  BinaryVersion,   ///< `value`: the version byte
  NoVersion,       ///< the file ends before the version byte
  BlockHeaderCut,  ///< the file ends inside a block's type and size
  BlockPastEnd,    ///< `block`'s `value` bytes run past the end of the file
  BlockType,       ///< `block` is not a type of 1 to 5
  BlockTooShort,   ///< `block`'s `value` bytes cannot hold its fields
  BlockRecords,    ///< `block`'s `value` bytes are not whole records of `high` bytes
  NameNotEnded,    ///< `block`'s last name has no NUL
  // The text and XML forms.
  StringNotClosed,
  BadXml,      ///< markup that is not a tag, a declaration or a comment
  BadEntity,   ///< `text`: the entity
  BadNumber,   ///< `key`=`text` is not a whole number
  OutOfRange,  ///< `key`=`text` lies outside `low` to `high` (binary fields too)
  NoCharId,
  NoPageId,
  // Any form.
  TooManyChars,         ///< `high`: the limit
  TooManyKerningPairs,  ///< `high`: the limit
  NoCommon,
  PageNotNamed,  ///< char `charId` is on `page`, which no page record names
  // Reading the pages, and cutting glyphs.
  PageNameAbsolute,  ///< `page`, `text`: its file name
  PageNameClimbs,    ///< the same, for a name with a ".." part
  PageLinksOut,      ///< the same, for a name that a link leads out of the folder
  PageNotFile,       ///< the same, for a name that is no regular file (a FIFO, a folder)
  PageCannotRead,    ///< the same
  PageFileTooLarge,  ///< the same; `high`: the limit in bytes
  PageNotPicture,    ///< the same
  PageTooLarge,      ///< the same; `width` x `height`; `low` a side's limit, `high` pixels'
  PageDamaged,       ///< the same: its header reads but its pixels do not decode
  PagesTooLarge,     ///< `high`: the most pixels the pages read may hold together
  CharOutsidePage,   ///< char `charId`'s rectangle; `page` of `width` x `height`
  GlyphsTooLarge,    ///< `high`: the most pixels the glyphs asked for may cover together
};

/// A problem and what it concerns. `line` (text and XML, from 1) or `offset` (binary, the byte
/// its block or field starts at) says where it is, when it is at one place.
struct BmFontFailure {
  BmFontProblem problem = BmFontProblem::None;
  int line = 0;
  std::int64_t offset = -1;
  int block = 0;
  std::string key;
  std::string text;
  std::int64_t value = 0;
  std::int64_t low = 0;
  std::int64_t high = 0;
  std::uint32_t charId = 0;
  int page = 0;
  int width = 0;
  int height = 0;

  bool Failed() const { return problem != BmFontProblem::None; }
};

/// The descriptor that `bytes` hold, in whichever form, into `descriptor` (reset first). On a
/// failure `descriptor` holds what was read before it and must not be used.
BmFontFailure ParseBmFont(std::span<const std::uint8_t> bytes, BmFontDescriptor& descriptor);

}  // namespace typekiln
