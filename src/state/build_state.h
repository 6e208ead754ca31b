#pragma once

// The one record a run works on. Script commands write it, the grabber appends glyphs to it and
// the font writer reads it at the end, leaving it as it is. `main` owns the single instance and
// hands it to every command by reference; a test makes a fresh one. It is moved, never copied:
// glyphs point into its store.

#include <algorithm>
#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "font/font_format.h"
#include "io/binary_file.h"
#include "io/file_identity.h"
#include "picture/picture_rows.h"
#include "picture/tga_picture.h"
#include "state/build_observer.h"
#include "state/glyph_store.h"

namespace typekiln {

/// Bytes of the character-code string, its terminator included.
inline constexpr int kCharSetSize = 128;

/// Which glyph set `Grab` fills: `[Font]` starts the faces, `[Shadow]` the shadows.
enum class Section { None = 0, Faces = 1, Shadows = 2 };

/// How the script's lines are read: as bytes, each a Latin-1 code, or, after `Encoding UTF-8`,
/// as UTF-8, each character up to U+00FF its Latin-1 code.
enum class ScriptEncoding { Latin1, Utf8 };

/// A glyph cut out of a picture at its ink box.
struct Glyph {
  std::int32_t x = 0;       ///< picture column of the left edge
  std::int32_t y = 0;       ///< top row of the band it was grabbed in
  std::int32_t width = 0;   ///< columns
  std::int32_t height = 0;  ///< rows
  std::int32_t top = 0;     ///< rows from the band's top down to the first inked row
  /// width x height alpha bytes, row by row from the top, held by the build's `GlyphStore`.
  std::span<const std::uint8_t> coverage;
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
  /// Byte i is the character code of face i; NUL-terminated, zero-filled.
  std::array<char, kCharSetSize> charSet{};
};

struct BuildState {
  FontSettings settings;
  Section section = Section::None;
  ScriptEncoding encoding = ScriptEncoding::Latin1;
  bool verbose = false;
  GrabCursor cursor;
  Picture picture;
  RowCache rowCache;  ///< the rows the grabber last read from a raw picture
  GlyphSet faceSet;
  GlyphSet shadowSet;
  GlyphStore glyphStore;  ///< the coverage of the glyphs of both sets
  std::int32_t widest = 0;
  std::int32_t highest = 0;
  BuildObserver* observer = nullptr;  ///< told what the run finds; none for typekiln
  /// The folder of the script being run ("" for the folder typekiln runs in): a picture named
  /// from a relative path that names nothing where typekiln runs is looked for there.
  std::string scriptFolder;
  /// The files the run read: the script and every picture a `LoadTGA` opened. The font never
  /// takes the place of any of them.
  std::vector<FileIdentity> inputs;
};

/// Adds the regular file at `path`, if there is one, to the files the run read.
inline void RememberInput(BuildState& state, const std::string& path) {
  const std::optional<FileIdentity> identity = IdentifyFile(path);
  if (identity &&
      std::find(state.inputs.begin(), state.inputs.end(), *identity) == state.inputs.end())
    state.inputs.push_back(*identity);
}

}  // namespace typekiln
