#pragma once

// Reads a font through FreeType (TrueType, OpenType and their collections, BDF, PCF and
// .pcf.gz, bitmap-only OpenType, Windows FNT) and renders the characters asked for into an
// ImportedFont, at one pixel size, with FreeType's own hinting.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "import/imported_font.h"

namespace typekiln {

struct FreeTypeOptions {
  int faceIndex = 0;        // the face of a collection
  std::optional<int> size;  // pixels; none: the bitmap font's first strike, or the smallest
                            // size at which a scalable font is a pixel font
  bool mono = false;        // scalable fonts rendered in black and white
};

/// The sizes a scalable font is tried at when no size is given.
inline constexpr int kSmallestPixelFontSize = 6;
inline constexpr int kLargestPixelFontSize = 48;
/// The most memory FreeType may hold for one font: enough for any real font, not for a crafted
/// one that claims gigabytes.
inline constexpr std::size_t kFreeTypeMemoryLimit = std::size_t{512} << 20;

enum class FreeTypeProblem {
  None,
  CannotOpen,    // FreeType cannot open it (error code in `error`)
  NoSuchFace,    // the face index is past the collection's `count` faces
  NoSuchStrike,  // a bitmap font without a strike of `size` pixels; `sizes` lists them
  NotPixelFont,  // a scalable font that is no pixel font at any size tried
  CannotSize,    // FreeType refuses the size (error in `error`)
  CannotRender,  // a character cannot be loaded or rendered (`code`, `error`)
  TooLarge,      // a character's bitmap is over 255 pixels in a direction (`code`)
};

struct FreeTypeFailure {
  FreeTypeProblem problem = FreeTypeProblem::None;
  int error = 0;
  int count = 0;
  int size = 0;
  std::uint8_t code = 0;
  std::string sizes;
};

/// Renders `codes` from the font at `path`. The font's family and style, the size and the mode
/// go into `font.description`; the characters it lacks into `font.missing`.
bool ReadFreeTypeFont(const std::string& path, const FreeTypeOptions& options,
                      const std::vector<std::uint8_t>& codes, ImportedFont& font,
                      FreeTypeFailure& failure);

}  // namespace typekiln
