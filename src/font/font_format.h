#pragma once

// The font file, the one description of its layout. Every multi-byte number is big-endian; a
// one-byte field keeps the low 8 bits of its value.
//
//   offset  size        field
//   0       4 x 3       tags "TKLN", "QZ7!", "N64!"
//   12      4           the format's version, 1
//   16      1 each      glyph count, orientation (0 horizontal, 1 vertical), gap, space,
//                       drop x, drop y, 0, 0
//   24      20 x count  glyph table, one entry per face in grab order:
//                         face:   offset (4), width, height, top, stride (1 each)
//                         shadow: offset (4), width, height, top, stride (1 each)
//                         the shadow's place relative to the face: dx, dy horizontally,
//                         dy, -dx vertically (1 each); character code; 0
//   then    ...         bitmap blocks of all faces, then of all shadows, each at a multiple of 8
//                       with zero bytes before it: `height` rows of `stride` bytes, one 4-bit
//                       coverage sample (alpha >> 4) per byte, `stride` being `width` rounded
//                       up to a multiple of 8, the row's tail zero
//
// A face without a shadow gets an all-zero shadow (offset, width, height, top and stride 0: a
// bitmap that is absent). Shadows past the face count have blocks that no entry names. In
// vertical orientation each bitmap is turned a quarter turn counter-clockwise: width and height
// change places, and row i is source column width - 1 - i read from the top. A glyph 249 to 255
// samples wide has rows of 256 bytes, which its stride byte holds as 0.
//
// The writer, the reader, the inspector and the checker take every number of the layout from
// here. The game runtime (runtime/typekiln_font.h) spells the same numbers with C names of its
// own, listed there beside these: a change is made in both.

#include <cstddef>
#include <cstdint>

namespace typekiln {

// ---- The header
inline constexpr std::size_t kHeaderSize = 24;
/// The three 4-byte tags at the start of every font, one after another.
inline constexpr char kFontTags[] = "TKLNQZ7!N64!";
inline constexpr std::size_t kTagSize = 4;
inline constexpr std::size_t kTagCount = 3;
inline constexpr std::size_t kVersionAt = 12;  ///< 4 bytes
inline constexpr std::uint32_t kFormatVersion = 1;
inline constexpr std::size_t kGlyphCountAt = 16;
inline constexpr std::size_t kOrientationAt = 17;
inline constexpr std::size_t kGapAt = 18;
inline constexpr std::size_t kSpaceAt = 19;
inline constexpr std::size_t kDropXAt = 20;
inline constexpr std::size_t kDropYAt = 21;
/// The header's last bytes, always 0.
inline constexpr std::size_t kHeaderReservedAt = 22;
inline constexpr std::size_t kHeaderReservedSize = 2;

/// The orientation byte.
enum class Orientation : std::uint8_t { Horizontal = 0, Vertical = 1 };

// ---- A table entry
inline constexpr std::size_t kTableEntrySize = 20;
/// Where the face's and the shadow's bitmap fields start in an entry.
inline constexpr std::size_t kFaceFieldsAt = 0;
inline constexpr std::size_t kShadowFieldsAt = 8;
/// The bitmap fields, from the start of a face's or a shadow's.
inline constexpr std::size_t kBitmapOffsetAt = 0;  ///< 4 bytes
inline constexpr std::size_t kBitmapWidthAt = 4;
inline constexpr std::size_t kBitmapHeightAt = 5;
inline constexpr std::size_t kBitmapTopAt = 6;
inline constexpr std::size_t kBitmapStrideAt = 7;
/// The shadow's place: the first and second of the pair (dx, dy; turned for vertical fonts).
inline constexpr std::size_t kShadowFirstAt = 16;
inline constexpr std::size_t kShadowSecondAt = 17;
inline constexpr std::size_t kCodeAt = 18;
/// The entry's last byte, always 0.
inline constexpr std::size_t kEntryReservedAt = 19;

// ---- The bitmaps
/// Blocks start at multiples of this, and rows are padded to them.
inline constexpr std::size_t kBlockAlignment = 8;
/// A glyph wider than this has rows of kWrappedStride bytes, which its stride byte holds as 0.
inline constexpr int kWidestUnwrapped = 248;
inline constexpr std::uint32_t kWrappedStride = 256;
/// A sample is a picture's alpha shifted right by this, from 0 to kMaxSample.
inline constexpr int kSampleShift = 4;
inline constexpr int kMaxSample = 15;

// ---- Limits
/// Glyphs a set, and so a table, may hold: the header stores the count in one byte.
inline constexpr int kMaxGlyphs = 128;
/// The most a glyph's one-byte width, height and top fields hold.
inline constexpr int kMaxByteField = 255;
/// The largest font file: every block offset must fit the table's 32-bit fields.
inline constexpr std::uint64_t kMaxFontSize = 0xFFFFFFFF;
/// Shadows within this many pixels of their faces, each way, are drop shadows; one further off
/// is most likely drawn in the wrong place (the script check notes it).
inline constexpr int kDropShadowReach = 8;

}  // namespace typekiln
