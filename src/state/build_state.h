#pragma once

// The one record a run works on. Script commands write it, the grabber appends glyphs to it and
// the font writer reads it at the end. `main` owns the single instance and hands it to every
// command by reference; a test makes a fresh one.

#include <array>
#include <cstdint>
#include <vector>

#include "state/picture_allocator.h"

namespace typekiln {

/// Glyphs each set can hold; the font header stores the count in one byte.
inline constexpr int kMaxGlyphs = 128;
/// Bytes of the character-code string, its terminator included.
inline constexpr int kCharSetSize = 128;

enum class Orientation : std::uint8_t { Horizontal = 0, Vertical = 1 };

/// Which glyph set `Grab` fills.
enum class Section { None = 0, Font = 1, Shadow = 2 };

/// One picture pixel, in the order red, green, blue, alpha. `Pixel{}` is all zero; a pixel left
/// default-initialised, as a fresh picture buffer holds them, is not set to anything.
struct Pixel {
  std::uint8_t red;
  std::uint8_t green;
  std::uint8_t blue;
  std::uint8_t alpha;
};

using PixelBuffer = std::vector<Pixel, PictureAllocator<Pixel>>;

/// The current picture: `pixels` holds `width` x `height` pixels, row 0 at the top; pixel
/// (px, py) is element px + py * width.
struct Image {
  std::int32_t width = 0;
  std::int32_t height = 0;
  PixelBuffer pixels;
};

/// A glyph cut out of a picture at its ink box.
struct Glyph {
  std::int32_t x = 0;        ///< picture column of the left edge
  std::int32_t y = 0;        ///< top row of the band it was grabbed in
  std::int32_t width = 0;    ///< columns (rows, once laid out vertically)
  std::int32_t height = 0;   ///< rows (columns, once laid out vertically)
  std::int32_t top = 0;      ///< rows from the band's top down to the first inked row
  std::int32_t stride = 0;   ///< bytes per bitmap row in the font file, set by the writer
  std::uint32_t offset = 0;  ///< file offset of the bitmap block, set by the writer
  /// width x height pixels, row by row from the top; only alpha is kept.
  std::vector<Pixel> pixels;
};

/// Slots at and past `count` stay all zero: an entry whose shadow was never grabbed reads one.
struct GlyphSet {
  std::array<Glyph, kMaxGlyphs> glyphs;
  std::int32_t count = 0;
};

struct GrabCursor {
  std::int32_t x = 0;
  std::int32_t y = 0;
};

/// The font-wide values. The four byte values keep the low 8 bits of what the script gave.
struct FontSettings {
  Orientation orientation = Orientation::Horizontal;
  std::uint8_t gap = 1;
  std::uint8_t space = 16;
  std::uint8_t dropX = 0;
  std::uint8_t dropY = 0;
  std::int32_t maxHeight = 32;  ///< rows of the band the grabber scans
  /// Byte i is the character code of font glyph i; NUL-terminated, zero-filled.
  std::array<char, kCharSetSize> charSet{};
};

struct BuildState {
  FontSettings settings;
  Section section = Section::None;
  bool verbose = false;
  GrabCursor cursor;
  Image image;
  GlyphSet fontSet;
  GlyphSet shadowSet;
  std::int32_t widest = 0;
  std::int32_t highest = 0;
};

}  // namespace typekiln
