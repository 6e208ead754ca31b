#pragma once

// Reads a font file back and checks it against its layout (font/font_format.h): the tags and
// the version; the orientation; at least one entry, no more than a set holds, and the whole
// table inside the file; per bitmap, an offset on the block grid, a block of `height` rows of
// `stride` bytes inside the file and after the table, `stride` being `width` rounded up to the
// grid, samples no higher than the highest and zero row tails; zero bytes between blocks and
// no two blocks overlapping. Samples and row tails are checked wherever the rows hold the
// width, a wrong stride or not, since a loader reads the rows its stride says.
//
// A bitmap whose offset, width, height and stride are all 0 is absent, as a missing shadow is.
// Bytes after the last block that an entry names are the blocks of shadow glyphs without a face;
// they are counted, not checked.
//
// Everything here works on the file's bytes in memory and never reads outside them.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "font/font_format.h"

namespace typekiln {

/// One bitmap of a table entry, as stored.
struct FontBitmap {
  std::uint32_t offset = 0;
  std::uint8_t width = 0;
  std::uint8_t height = 0;
  std::uint8_t top = 0;
  std::uint8_t stride = 0;

  bool Present() const { return offset != 0 || width != 0 || height != 0 || stride != 0; }
  /// Bytes per row: the stride, or kWrappedStride for a glyph whose stride byte wrapped.
  std::uint32_t RowBytes() const {
    return stride == 0 && width > kWidestUnwrapped ? kWrappedStride : stride;
  }
  std::uint64_t BlockSize() const { return std::uint64_t{height} * RowBytes(); }
};

struct FontEntry {
  FontBitmap face;
  FontBitmap shadow;
  /// The shadow's place relative to the face as stored: dx, dy horizontally; dy, -dx vertically.
  std::int8_t position[2] = {0, 0};
  std::uint8_t code = 0;
  std::uint8_t reserved = 0;
};

struct FontHeader {
  std::uint8_t tags[kTagSize * kTagCount] = {};
  std::uint32_t constant = 0;
  std::uint8_t count = 0;
  std::uint8_t orientation = 0;  ///< 0 horizontal, 1 vertical
  std::uint8_t gap = 0;
  std::uint8_t space = 0;
  std::uint8_t dropX = 0;
  std::uint8_t dropY = 0;
  std::uint8_t reserved[kHeaderReservedSize] = {};
};

struct FontFile {
  std::span<const std::uint8_t> bytes;  ///< the file, owned by the caller
  bool hasHeader = false;               ///< false when the file is shorter than a header
  FontHeader header;
  std::vector<FontEntry> entries;  ///< every entry that lies wholly inside the file
  /// Bytes after the last block that an entry names.
  std::uint64_t unnamedBytes = 0;
  /// Every problem found, in file order, each naming the field or entry.
  std::vector<std::string> problems;
  /// Entries no text can reach, each naming the entry and its code: an entry of the code 0, which
  /// ends a text, and one whose code an earlier entry has, which a game finds first. A problem of
  /// what the font holds, not of its layout.
  std::vector<std::string> unreachable;
  /// False when a problem would make a game that trusts the file read outside it or draw what
  /// is not a glyph: wrong tags, version, orientation or count, a table or block outside the
  /// file or a block in the table, rows shorter than their width, or a sample too high. The
  /// game runtime refuses exactly these fonts.
  bool drawable = true;

  bool Vertical() const {
    return header.orientation == static_cast<std::uint8_t>(Orientation::Vertical);
  }
};

/// False when the file's first bytes, as many as the tags take, are not the font's tags: it is
/// something else altogether. A font cut short within its tags still starts as one.
bool StartsAsFont(std::span<const std::uint8_t> bytes);

/// Parses and checks a font file's bytes. `bytes` must outlive the result.
FontFile ReadFont(std::span<const std::uint8_t> bytes);

/// Sample (x, y) of a bitmap as stored, or -1 when the place lies outside the bitmap or the file.
int StoredSample(const FontFile& font, const FontBitmap& bitmap, int x, int y);

/// The bitmap's size as the artist drew it: a vertical font's bitmaps turned back upright.
int DrawnWidth(const FontFile& font, const FontBitmap& bitmap);
int DrawnHeight(const FontFile& font, const FontBitmap& bitmap);
/// Sample (x, y) of the upright glyph, or -1 outside it.
int DrawnSample(const FontFile& font, const FontBitmap& bitmap, int x, int y);

/// The shadow's offset from the face in picture pixels, turned back for a vertical font.
int ShadowDx(const FontFile& font, const FontEntry& entry);
int ShadowDy(const FontFile& font, const FontEntry& entry);

}  // namespace typekiln
