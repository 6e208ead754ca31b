#pragma once

// What a run tells whoever watches it. typekiln itself runs unwatched; typekiln-inspect watches
// its runs to draw where each glyph came from and to note likely mistakes. An observer sees facts
// as the commands find them and changes nothing: the run does exactly what it does unwatched.

#include <cstdint>
#include <string>
#include <string_view>

namespace typekiln {

struct BuildState;
struct Picture;
class Band;

/// One line of a script as the reader hands it on: its text, trimmed at the end, and its
/// number, counting from 1. A physical line longer than the reader's buffer is read as several
/// lines, and each counts as one.
struct ScriptLine {
  std::string text;
  std::int32_t number = 0;
};

/// A rectangle of picture pixels; it may lie partly or wholly outside the picture.
struct PictureBox {
  std::int64_t x = 0;
  std::int64_t y = 0;
  std::int64_t width = 0;
  std::int64_t height = 0;
};

/// The band one `Grab` scanned: from the grab's column and row, `MaxHeight` rows down and across
/// to the column where its last glyph ended, or to the picture's right edge when it found no
/// more. Its glyphs are `firstGlyph` up to `endGlyph` of its set.
struct ScannedBand {
  bool shadow = false;
  PictureBox box;
  std::int32_t firstGlyph = 0;
  std::int32_t endGlyph = 0;
};

/// A glyph as a `Grab` cut it: `ink` is its ink box in the picture.
struct GrabbedGlyph {
  bool shadow = false;  ///< from the shadow set, else the face set
  std::int32_t index = 0;
  PictureBox ink;
};

class BuildObserver {
 public:
  virtual ~BuildObserver() = default;

  /// A line whose command word names no command; the run ignores it.
  virtual void UnknownCommand(const ScriptLine& line, std::string_view word) = 0;
  /// A line of a Latin-1 script that ended in `dropped`, bytes from 0x80 up that the reader took
  /// for blanks and cut off before the line ran (`line` holds what was left).
  virtual void LineEndDropped(const ScriptLine& line, std::string_view dropped) = 0;
  /// A line's command is about to run: what the observer hears next, up to CommandRan, comes
  /// from that line.
  virtual void LineRuns(const ScriptLine& line) = 0;
  /// A command ran; `keyword` is its name as the command table spells it.
  virtual void CommandRan(const ScriptLine& line, std::string_view keyword,
                          const BuildState& state) = 0;
  /// `LoadTGA` made `picture` the picture: its path, size and descriptor are set and its rows can
  /// be read, through a row cache of the observer's own.
  virtual void PictureLoaded(const ScriptLine& line, const Picture& picture) = 0;
  /// A glyph was cut out of `band`, whose pixels are still readable.
  virtual void GlyphGrabbed(const GrabbedGlyph& glyph, const Band& band) = 0;
  /// A `Grab` is done with its band.
  virtual void BandScanned(const ScannedBand& band, const Picture& picture) = 0;
};

}  // namespace typekiln
