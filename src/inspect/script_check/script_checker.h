#pragma once

// Watches a run of a script for what typekiln accepts but the artist probably did not mean, and
// keeps, picture by picture, where each band and glyph was found. Each note names the script
// line it is about and says what to do. typekiln-inspect --check prints the notes;
// --overlay prints them too and draws what was found.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "picture/picture_rows.h"
#include "report/console.h"
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

class ScriptChecker : public BuildObserver {
 public:
  /// How far past a band the checker looks for the rest of a glyph it cut.
  static constexpr std::int64_t kCutSearchRows = 256;
  /// Notes kept; the rest are counted.
  static constexpr std::size_t kMaxNotes = 1000;
  /// How many pairs of face and shadow must lie alike, and what share of the pairs (all but one
  /// in kStepShare), for the others to be out of step.
  static constexpr std::size_t kLeastPairsInStep = 5;
  static constexpr std::size_t kStepShare = 5;
  /// How many other bands must keep one step for a band off it to be noted, and how far off at
  /// most (a share of the step: a band further off is one of its own).
  static constexpr std::size_t kLeastBandsInStep = 2;
  static constexpr std::int64_t kBandStepShare = 3;
  /// How many of a band's flat-footed characters of a kind must end on one row, besides more
  /// than half of them, for it to be the band's baseline.
  static constexpr std::size_t kLeastGlyphsOnBaseline = 2;

  void UnknownCommand(const ScriptLine& line, std::string_view word) override;
  void LineEndDropped(const ScriptLine& line, std::string_view dropped) override;
  void CommandRan(const ScriptLine& line, std::string_view keyword,
                  const BuildState& state) override;
  void PictureLoaded(const ScriptLine& line, const Picture& picture) override;
  void LineRuns(const ScriptLine& line) override;
  void GlyphGrabbed(const GrabbedGlyph& glyph, const Band& band) override;
  void BandScanned(const ScannedBand& band, const Picture& picture) override;

  /// Adds the notes on the run as a whole, from the state it ended in, and puts every note in
  /// the order of the lines it names. Call once, after the script ran.
  void Finish(const BuildState& state);

  /// The notes kept, and last, when there were more, how many were not.
  const std::vector<std::string>& notes() const { return notes_; }
  /// Every note found, kept or not.
  std::size_t found() const { return found_; }
  const std::vector<CheckedPicture>& pictures() const { return pictures_; }

 private:
  struct Note {
    std::int32_t line;  ///< 0 for a note on the whole run, which comes last
    std::string text;
  };
  /// What a glyph's own pixels show, measured as it is cut.
  struct CutGlyph {
    GrabbedGlyph glyph;
    /// How far ink with alpha from 1 to 15 widens the box past the rest of the ink, on the
    /// side where it widens it most. Advance marks on rows of the rest of the ink, or in a glyph
    /// of nothing else, widen it on purpose and are not counted.
    std::int64_t faintReach = 0;
    bool faint = false;              ///< some ink not so counted has alpha from 1 to 15
    bool shows = false;              ///< some ink has alpha 16 or more
    std::int64_t colouredClear = 0;  ///< ink pixels with alpha 0
    /// The first column of the ink that runs on to the left of the box, in the band's rows: the
    /// box's own first column when none does. Found for a Grab's first glyph only.
    std::int64_t inkFrom = 0;
  };
  /// A Grab line that scanned its band.
  struct Grab {
    ScriptLine line;
    ScannedBand band;
    std::size_t picture = 0;    ///< which load of a picture it grabbed from
    std::int64_t firstRow = 0;  ///< its band's rows inside the picture
    std::int64_t endRow = 0;
    std::string cutNote;      ///< on the glyphs the band cuts; empty when it cuts none
    bool clearIsInk = false;  ///< most of the band is coloured pixels of alpha 0
    bool reaches = false;     ///< the band reaches into the glyphs of another band
    /// The glyphs are what the artist drew, so that their places can be judged.
    bool Whole() const { return !clearIsInk && !reaches; }
  };
  /// Where the Grab that cut a glyph lies: which Grab, and the glyph's ink box.
  struct Slot {
    std::size_t grab = 0;
    PictureBox ink;
  };
  /// A glyph of the current picture whose faint ink is worth a note.
  struct FaintGlyph {
    bool shadow;
    std::int32_t index;
    std::int64_t reach;
  };

  void Add(const ScriptLine* line, std::string text);
  void NoteBand(const ScriptLine& line, Grab& grab, const Picture& picture);
  std::string CutNote(const ScannedBand& band, const Picture& picture);
  void NoteFaintInk();
  void NoteReach();
  void NoteGlyphWidths();
  void NoteShadowPlaces();
  void NoteShadowSteps(const BuildState& state);
  std::array<std::optional<std::int64_t>, 3> BaselineRows(const Grab& grab,
                                                          const BuildState& state);
  void NoteBandBaselines(const BuildState& state);
  void NoteGrabCounts();
  void NoteCharSetLength(const BuildState& state);
  /// True when every band held the glyphs as drawn, so that counts of glyphs can be judged.
  bool AllWhole() const;

  RowCache rows_;  ///< the checker's own reads of the picture's rows
  std::vector<Note> pending_;
  std::size_t found_ = 0;
  std::size_t unshown_ = 0;
  std::vector<std::string> notes_;
  std::vector<CheckedPicture> pictures_;
  std::vector<Grab> grabs_;
  std::array<std::vector<Slot>, 2> sets_;  ///< face then shadow, by glyph index
  std::vector<CutGlyph> bandGlyphs_;       ///< the glyphs of the band being scanned
  ScriptLine pictureLine_;                 ///< the LoadTGA of the current picture
  ScriptLine running_;                     ///< the line whose command runs
  std::size_t loads_ = 0;                  ///< pictures loaded so far
  std::vector<FaintGlyph> faint_;          ///< in the current picture
  std::vector<GrabbedGlyph> unseen_;       ///< in the current picture: ink all faint
  bool colouredClearNoted_ = false;        ///< in the current picture
  ScriptLine charSetLine_;
  bool charSetHasUtf8_ = false;
  bool faceGrabRan_ = false;  ///< a Grab line ran in the face section
};

/// Runs the script at `path` as typekiln does, with `checker` watching, and writes nothing.
/// Messages print on `console` as typekiln prints them but never wait for a key. Finishes the
/// checker's notes and returns true, or returns false when the script cannot be opened or is
/// no script (typekiln would not run it either).
bool CheckScript(Console& console, const std::string& path, ScriptChecker& checker);

}  // namespace typekiln
