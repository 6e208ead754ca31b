#pragma once

// What a watched run of a script found, as a ScriptRecorder keeps it: the lines typekiln ignored
// or cut short, the CharSet lines, the pictures and every band and glyph their Grab lines cut,
// with what was measured of their pixels while they could be read. The notes on the run are
// made from this record alone (inspect/script_check/script_notes.h), and the overlay draws its
// pictures.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "font/font_format.h"
#include "state/build_observer.h"
#include "state/build_state.h"

namespace typekiln {

/// A picture the script loaded, with the bands and glyphs its Grab lines found in it.
struct CheckedPicture {
  std::string path;
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::vector<PictureBox> bands;
  std::vector<GrabbedGlyph> glyphs;
};

/// A line of a Latin-1 script that lost bytes from 0x80 up at its end.
struct DroppedEnd {
  ScriptLine line;
  std::string dropped;
};

/// A line whose command word names no command.
struct UnknownWord {
  ScriptLine line;
  std::string word;
};

/// A CharSet line, with the codes the character set held after it ran, up to the first 0.
struct CharSetLine {
  ScriptLine line;
  std::string codes;
  ScriptEncoding encoding = ScriptEncoding::Latin1;  ///< the script's when the line ran
};

/// A LoadTGA line that loaded its picture.
struct PictureLoad {
  ScriptLine line;
  std::string path;
  bool rightToLeft = false;  ///< the picture has pixels, stored right to left
  bool opaque = false;       ///< the picture has pixels, every one of alpha 255
};

/// Ink with alpha below this is faint: it stores as coverage 0.
inline constexpr int kFaintAlpha = 1 << kSampleShift;

/// A glyph as a Grab cut it, with what its own pixels, and those next to its band, show.
struct CutGlyph {
  GrabbedGlyph glyph;
  /// How far ink with alpha from 1 to 15 widens the box past the rest of the ink, on the side
  /// where it widens it most. Advance marks on rows of the rest of the ink, or in a glyph of
  /// nothing else, widen it on purpose and are not counted.
  std::int64_t faintReach = 0;
  bool faint = false;              ///< some ink not so counted has alpha from 1 to 15
  bool shows = false;              ///< some ink has alpha 16 or more
  std::int64_t colouredClear = 0;  ///< ink pixels with alpha 0
  /// The first column of the ink that runs on to the left of the box, in the band's rows: the
  /// box's own first column when none does. Found for a Grab's first glyph only.
  std::int64_t inkFrom = 0;
  /// When the ink reaches the band's bottom (top) row inside the picture: how many rows past it
  /// hold ink in the glyph's columns, at most kCutSearchRows. 0 when it does not reach it.
  std::int64_t inkBelow = 0;
  std::int64_t inkAbove = 0;
};

/// How far past a band the recorder looks for the rest of a glyph it cut: a glyph a font can
/// hold is less tall.
inline constexpr std::int64_t kCutSearchRows = 256;

/// A Grab line that scanned its band, with the glyphs it cut.
struct ScannedGrab {
  ScriptLine line;
  ScannedBand band;
  std::size_t load = 0;       ///< which of the run's picture loads it grabbed from
  std::int64_t firstRow = 0;  ///< its band's rows inside the picture
  std::int64_t endRow = 0;
  std::int64_t pixels = 0;  ///< its band's pixels inside the picture
  std::vector<CutGlyph> glyphs;
};

/// Where the Grab that cut a glyph lies: which Grab, and the glyph's ink box.
struct GlyphSlot {
  std::size_t grab = 0;
  PictureBox ink;
};

/// One finding of those the notes speak of in the order the run found them: its kind, and where
/// it is in the record's list of that kind.
struct RunStep {
  enum class Kind { DroppedEnd, UnknownWord, CharSet, Load, Grab };
  Kind kind = Kind::DroppedEnd;
  std::size_t index = 0;
};

/// Everything a watched run found, in the order it found it.
struct RunFindings {
  std::vector<DroppedEnd> droppedEnds;
  std::vector<UnknownWord> unknownWords;
  std::vector<CharSetLine> charSets;
  std::vector<PictureLoad> loads;
  /// The loaded pictures that have pixels, as the overlay draws them.
  std::vector<CheckedPicture> pictures;
  std::vector<ScannedGrab> grabs;
  /// Face then shadow glyphs, by glyph index.
  std::array<std::vector<GlyphSlot>, 2> sets;
  /// The lines, pictures and Grabs above as the run came to them, one after another.
  std::vector<RunStep> steps;
  bool faceGrabRan = false;  ///< a Grab line ran in the face section
};

}  // namespace typekiln
