#pragma once

// Watches a run of a script and keeps what it found: every line typekiln ignored or cut short,
// every picture, band and glyph, and what their pixels show, measured while the run can still
// read them. It judges nothing: the notes are made from its record afterwards.

#include <string_view>
#include <vector>

#include "inspect/script_check/run_findings.h"
#include "picture/picture_rows.h"
#include "state/build_observer.h"

namespace typekiln {

class ScriptRecorder : public BuildObserver {
 public:
  void UnknownCommand(const ScriptLine& line, std::string_view word) override;
  void LineEndDropped(const ScriptLine& line, std::string_view dropped) override;
  void CommandRan(const ScriptLine& line, std::string_view keyword,
                  const BuildState& state) override;
  void PictureLoaded(const ScriptLine& line, const Picture& picture) override;
  void LineRuns(const ScriptLine& line) override;
  void GlyphGrabbed(const GrabbedGlyph& glyph, const Band& band) override;
  void BandScanned(const ScannedBand& band, const Picture& picture) override;

  /// What the run found so far.
  const RunFindings& findings() const { return found_; }

 private:
  RowCache rows_;  ///< the recorder's own reads of the picture's rows
  RunFindings found_;
  std::vector<CutGlyph> bandGlyphs_;  ///< the glyphs of the band being scanned
  ScriptLine running_;                ///< the line whose command runs
};

}  // namespace typekiln
