#pragma once

// Reads a font through FreeType (TrueType, OpenType and their collections, BDF, PCF and
// .pcf.gz, bitmap-only OpenType, Windows FNT) from its bytes in memory, and renders the
// characters asked for into an ImportedFont, at one pixel size, with FreeType's own hinting.
//
// Fonts are untrusted: a compressed one is inflated once, here, within kMaxFontBytes; FreeType
// holds at most kFreeTypeMemoryLimit; a scalable font's design must fit kMaxDesignSide pixels at
// the size asked before any glyph is drawn, and an outline larger than a font file can hold is
// refused before it is rendered; every bitmap FreeType hands back is checked before it is read;
// and the rendering stops at `timeLimit`.

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "import/imported_font.h"
#include "report/failure.h"

namespace typekiln {

/// How long rendering one font may take.
inline constexpr std::chrono::milliseconds kRenderTimeLimit{5000};

struct FreeTypeOptions {
  int faceIndex = 0;        // the face of a collection
  std::optional<int> size;  // pixels; none: the bitmap font's first strike, or the smallest
                            // size at which a scalable font is a pixel font
  bool mono = false;        // scalable fonts rendered in black and white
  std::chrono::milliseconds timeLimit = kRenderTimeLimit;
};

/// The sizes a scalable font is tried at when no size is given.
inline constexpr int kSmallestPixelFontSize = 6;
inline constexpr int kLargestPixelFontSize = 48;
/// The largest font file read, and the most a compressed font may inflate to.
inline constexpr std::int64_t kMaxFontBytes = std::int64_t{64} << 20;
/// The most memory FreeType may hold for one font: enough for any real font, not for a crafted
/// one that claims gigabytes.
inline constexpr std::size_t kFreeTypeMemoryLimit = std::size_t{128} << 20;
/// The most pixels a scalable font's design box (all its glyphs laid over each other) may span
/// either way at the size asked: real fonts span at most a few em.
inline constexpr int kMaxDesignSide = 4096;

/// Renders `codes` from the font at `path`, whose file holds `bytes` (compressed by gzip or
/// compress, or not; a compressed file is let go of once inflated). The font's family and style,
/// the size and the mode go into `font.description`; the characters it lacks into
/// `font.missing`. A failure names the font by `path`.
Failure ReadFreeTypeFont(const std::string& path, std::vector<std::uint8_t> bytes,
                         const FreeTypeOptions& options, const std::vector<std::uint8_t>& codes,
                         ImportedFont& font);

/// FreeType's own words for an error code ("unknown file format"); for running out of the memory
/// FreeType may hold, the limit.
std::string DescribeFreeTypeError(int error);

}  // namespace typekiln
