#pragma once

// The notes on a run of a script: what typekiln accepts but the artist probably did not mean,
// each made from the record of the run (run_findings.h) and, where it needs it, the state the
// run ended in. Each note names the script line it is about and says what to do.
// typekiln-inspect --check prints them; --overlay prints them too.

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "inspect/script_check/run_findings.h"
#include "state/build_state.h"

namespace typekiln {

/// The notes as they are found. The first kMaxNotes are kept; the rest are counted.
class NoteList {
 public:
  static constexpr std::size_t kMaxNotes = 1000;

  /// Adds a note on `line`, or on the run as a whole when `line` is null.
  void Add(const ScriptLine* line, std::string text);
  /// Every note found, kept or not.
  std::size_t found() const { return found_; }
  /// The notes kept, those on lines in the order of the lines and those on the whole run last,
  /// and last, when there were more, how many were not.
  std::vector<std::string> Ordered() const;

 private:
  struct Note {
    std::int32_t line;  ///< 0 for a note on the whole run, which comes last
    std::string text;
  };
  std::vector<Note> kept_;
  std::size_t found_ = 0;
};

/// What a check of a run says.
struct ScriptNotes {
  /// The notes kept, in the order NoteList::Ordered gives them.
  std::vector<std::string> kept;
  /// Every note found, kept or not.
  std::size_t found = 0;
};

/// Every note on the run: first those on what it found as it went, in the order it found it,
/// then those on the run as a whole, from the state it ended in.
ScriptNotes NotesOnRun(const RunFindings& run, const BuildState& state);

// The notes on what a run found as it went.

/// Letters lost at the end of a Latin-1 line.
void NoteDroppedEnd(const DroppedEnd& dropped, NoteList& notes);
/// A command word that names no command, and the command it most likely meant.
void NoteUnknownWord(const UnknownWord& unknown, NoteList& notes);
/// UTF-8 characters in a Latin-1 script's CharSet, or else a code it holds twice.
void NoteCharSet(const CharSetLine& charSet, NoteList& notes);
/// A picture stored right to left, or with no clear pixel at all.
void NotePicture(const PictureLoad& load, NoteList& notes);
/// One note for a picture on faint ink that widens glyphs' boxes, naming the worst, and one on
/// glyphs whose ink is all faint.
void NoteFaintInk(const RunFindings& run, std::size_t load, NoteList& notes);
/// A band that is ink from edge to edge: meant for the first such Grab of a picture only.
void NoteClearIsInk(const RunFindings& run, std::size_t grab, NoteList& notes);
/// A band that starts inside its first glyph, and glyphs too large for the font.
void NoteBand(const ScannedGrab& grab, NoteList& notes);

// The notes on the run as a whole.

/// True when most of the band's pixels are coloured pixels of alpha 0: ink from edge to edge.
bool ClearIsInk(const ScannedGrab& grab);

/// What the notes on the run as a whole judge a Grab by, worked out once from the record.
struct GrabJudgement {
  /// The Grab whose glyphs this Grab's band reaches into, if any.
  std::optional<std::size_t> reachesInto;
  /// Its glyphs are what the artist drew, so that their sizes, places and counts can be judged:
  /// its band is not ink from edge to edge and reaches into no other band's glyphs.
  bool whole = false;
  /// It cut glyphs that go on past its band (and its band is not ink from edge to edge).
  bool cuts = false;
};
/// One for each of the run's Grabs.
std::vector<GrabJudgement> JudgeGrabs(const RunFindings& run);

/// What a note on the run as a whole reads: the record, its Grabs as judged, and the state the
/// run ended in.
struct WholeRun {
  const RunFindings& run;
  std::vector<GrabJudgement> judged;
  const BuildState& state;
};
/// A note on the run as a whole. NotesOnRun makes each of those below, one after another.
using WholeRunNote = void (*)(const WholeRun& whole, NoteList& notes);

/// Bands that reach into the glyphs of another, or else cut glyphs.
void NoteReach(const WholeRun& whole, NoteList& notes);
/// Glyphs so wide that they are two drawn as one, and pairs of marks that are one character.
void NoteGlyphWidths(const WholeRun& whole, NoteList& notes);
/// Shadows further from their faces than a font keeps, or hidden behind them.
void NoteShadowPlaces(const WholeRun& whole, NoteList& notes);
/// Shadows that lie against their faces otherwise than the others do.
void NoteShadowSteps(const WholeRun& whole, NoteList& notes);
/// Bands whose top is a few rows off the step the other bands of their picture keep.
void NoteBandBaselines(const WholeRun& whole, NoteList& notes);
/// Face and shadow Grab lines, taken in pairs, that take unlike numbers of glyphs.
void NoteGrabCounts(const WholeRun& whole, NoteList& notes);
/// A CharSet shorter or longer than the face set.
void NoteCharSetLength(const WholeRun& whole, NoteList& notes);
/// No face grabbed at all, or sets of faces and shadows of unlike sizes.
void NoteSetSizes(const WholeRun& whole, NoteList& notes);

}  // namespace typekiln
