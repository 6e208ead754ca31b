#pragma once

// Watches a run of a script for what typekiln accepts but the artist probably did not mean, and
// keeps, picture by picture, where each band and glyph was found. Each note names the script
// line it is about and says what to do. typekiln-inspect --check prints the notes;
// --overlay prints them too and draws what was found.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "main/console.h"
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
  /// Shadows within this many pixels of their faces are drop shadows.
  static constexpr int kDropShadowReach = 8;
  /// How far past a band the checker looks for the rest of a glyph it cut.
  static constexpr std::int64_t kCutSearchRows = 256;
  /// Notes kept; the rest are counted.
  static constexpr std::size_t kMaxNotes = 1000;

  void UnknownCommand(const ScriptLine& line, std::string_view word) override;
  void CommandRan(const ScriptLine& line, std::string_view keyword,
                  const BuildState& state) override;
  void PictureLoaded(const ScriptLine& line, Image& image) override;
  void GlyphGrabbed(const ScriptLine& line, const GrabbedGlyph& glyph, const Band& band) override;
  void BandScanned(const ScriptLine& line, const ScannedBand& band, Image& image) override;

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
  /// A Grab line that scanned its band.
  struct Grab {
    ScriptLine line;
    ScannedBand band;
  };
  /// Where the Grab that cut a glyph lies: which Grab, and the glyph's ink box.
  struct Slot {
    std::size_t grab = 0;
    PictureBox ink;
  };
  struct FaintGlyph {
    bool shadow;
    std::int32_t index;
    std::int64_t pixels;
  };

  void Add(const ScriptLine* line, std::string text);
  void NoteCutGlyphs(const ScriptLine& line, const ScannedBand& band, Image& image);
  void NoteMergedGlyphs(const ScriptLine& line);
  void NoteSplitGlyphs(const ScriptLine& line);
  void NoteFaintInk();
  void NoteShadowPlaces();
  void NoteGrabCounts();

  std::vector<Note> pending_;
  std::size_t found_ = 0;
  std::size_t unshown_ = 0;
  std::vector<std::string> notes_;
  std::vector<CheckedPicture> pictures_;
  std::vector<Grab> grabs_;
  std::array<std::vector<Slot>, 2> sets_;  ///< face then shadow, by glyph index
  std::vector<GrabbedGlyph> bandGlyphs_;   ///< the glyphs of the band being scanned
  ScriptLine pictureLine_;                 ///< the LoadTGA of the current picture
  std::vector<FaintGlyph> faint_;          ///< in the current picture
  ScriptLine charSetLine_;
  bool faceGrabRan_ = false;  ///< a Grab line ran in the face section
};

/// Runs the script at `path` as typekiln does, with `checker` watching, and writes nothing.
/// Messages print on `console` as typekiln prints them but never wait for a key. Finishes the
/// checker's notes and returns true, or returns false when the script cannot be opened or is
/// no script (typekiln would not run it either).
bool CheckScript(Console& console, const std::string& path, ScriptChecker& checker);

}  // namespace typekiln
