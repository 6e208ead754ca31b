// The notes on a run made from records written here: the thresholds of the notes on glyph
// widths, shadows and bands at their edges, and which notes are kept past the cap.

#include "inspect/script_check/script_notes.h"

#include <gtest/gtest.h>

namespace typekiln {
namespace {

struct DrawnBand {
  bool shadow = false;
  std::int64_t top = 0;
  std::vector<PictureBox> inks;
  std::size_t load = 0;
};

// A record of one Grab line for each band, in order, each band 4 rows high and 100 wide, its
// glyphs taken into their set in order.
RunFindings Record(const std::vector<DrawnBand>& bands) {
  RunFindings run;
  for (const DrawnBand& drawn : bands) {
    auto& slots = run.sets[drawn.shadow ? 1 : 0];
    ScannedGrab grab;
    grab.line = {"Grab", static_cast<std::int32_t>(run.grabs.size() + 1)};
    const auto first = static_cast<std::int32_t>(slots.size());
    grab.band = {drawn.shadow,
                 {0, drawn.top, 100, 4},
                 first,
                 first + static_cast<std::int32_t>(drawn.inks.size())};
    grab.load = drawn.load;
    grab.firstRow = drawn.top;
    grab.endRow = drawn.top + 4;
    for (const PictureBox& ink : drawn.inks) {
      grab.glyphs.push_back({{drawn.shadow, static_cast<std::int32_t>(slots.size()), ink}});
      slots.push_back({run.grabs.size(), ink});
    }
    run.grabs.push_back(grab);
  }
  return run;
}

// Glyphs side by side, 10 columns apart, each `height` rows from the top, of these widths.
std::vector<PictureBox> Glyphs(const std::vector<std::int64_t>& widths, std::int64_t height) {
  std::vector<PictureBox> inks;
  for (const std::int64_t width : widths)
    inks.push_back({10 * static_cast<std::int64_t>(inks.size()), 0, width, height});
  return inks;
}

std::size_t WidthNotes(const std::vector<PictureBox>& inks) {
  const RunFindings run = Record({{false, 0, inks}});
  NoteList notes;
  NoteGlyphWidths({run, JudgeGrabs(run), BuildState{}}, notes);
  return notes.found();
}

// A glyph is two merged only when more than twice the middle width and 4 pixels wider, and wider
// than a third more than the tallest glyph is high or 1.4 times any other; two marks are one
// character only when alike in width to a pixel and no taller than half the tallest.
TEST(ScriptNotes, GlyphWidthsAtTheirThresholds) {
  EXPECT_EQ(WidthNotes(Glyphs({3, 3, 3, 3, 3, 6}, 8)), 0u);
  EXPECT_EQ(WidthNotes(Glyphs({3, 3, 3, 3, 3, 7}, 8)), 1u);
  EXPECT_EQ(WidthNotes(Glyphs({1, 1, 1, 1, 4}, 8)), 0u);
  EXPECT_EQ(WidthNotes(Glyphs({1, 1, 1, 1, 5}, 8)), 1u);
  EXPECT_EQ(WidthNotes(Glyphs({3, 3, 3, 3, 3, 10, 10}, 8)), 0u);
  EXPECT_EQ(WidthNotes(Glyphs({3, 3, 3, 3, 3, 10, 10}, 7)), 2u);

  const auto marks = [](std::int64_t second, std::int64_t height) {
    std::vector<PictureBox> inks = Glyphs({6, 6, 6, 6, 6}, 8);
    inks.insert(inks.begin(), {{100, 0, 1, height}, {102, 0, second, height}});
    return WidthNotes(inks);
  };
  EXPECT_EQ(marks(2, 4), 1u);
  EXPECT_EQ(marks(3, 4), 0u);
  EXPECT_EQ(marks(2, 5), 0u);
}

// `pairs` faces, each with its shadow one pixel right and down, but `odd` of them `dx` right.
std::size_t StepNotes(std::size_t pairs, std::size_t odd, std::int64_t dx = 3) {
  std::vector<PictureBox> faces = Glyphs(std::vector<std::int64_t>(pairs, 2), 3);
  std::vector<PictureBox> shadows = faces;
  for (std::size_t i = 0; i < pairs; ++i) {
    shadows[i].x += i < odd ? dx : 1;
    shadows[i].y += 1;
  }
  const RunFindings run = Record({{false, 0, faces}, {true, 0, shadows, 1}});
  NoteList notes;
  NoteShadowSteps({run, JudgeGrabs(run), BuildState{}}, notes);
  return notes.found();
}

// Shadows out of step are noted only where at least 5 pairs, and all but one in 5, lie alike,
// and only those near enough for a drop.
TEST(ScriptNotes, ShadowsOutOfStepNeedAClearMajority) {
  EXPECT_EQ(StepNotes(6, 1), 1u);
  EXPECT_EQ(StepNotes(5, 1), 0u);
  EXPECT_EQ(StepNotes(10, 2), 2u);
  EXPECT_EQ(StepNotes(9, 2), 0u);
  EXPECT_EQ(StepNotes(6, 1, kDropShadowReach + 1), 0u);
}

// Bands at rows 0, 6 and 12 and one more at `top`, each with a glyph of its own columns.
std::size_t OffStepNotes(std::int64_t top) {
  std::vector<DrawnBand> bands;
  for (const std::int64_t y : {std::int64_t{0}, std::int64_t{6}, std::int64_t{12}, top})
    bands.push_back({false, y, {{10 * static_cast<std::int64_t>(bands.size()), y + 1, 2, 2}}});
  const RunFindings run = Record(bands);
  NoteList notes;
  NoteBandBaselines({run, JudgeGrabs(run), BuildState{}}, notes);
  return notes.found();
}

// A band off the step by up to a third of it is noted; one further off is a band of its own.
TEST(ScriptNotes, ABandOffTheStepByAThirdAtMost) {
  EXPECT_EQ(OffStepNotes(18), 0u);
  EXPECT_EQ(OffStepNotes(19), 1u);
  EXPECT_EQ(OffStepNotes(20), 1u);
  EXPECT_EQ(OffStepNotes(21), 0u);
}

// The notes kept are the first found, whatever lines they name; they are then put in line order,
// those on the whole run last.
TEST(NoteList, KeepsTheNotesFoundFirst) {
  const ScriptLine early{"Gap 1", 3};
  const ScriptLine late{"Gap 2", 7};
  NoteList notes;
  notes.Add(nullptr, "on the run");
  for (std::size_t i = 1; i < NoteList::kMaxNotes; ++i) notes.Add(&late, "late");
  notes.Add(&early, "early, not kept");
  const std::vector<std::string> kept = notes.Ordered();
  ASSERT_EQ(kept.size(), NoteList::kMaxNotes + 1);
  EXPECT_EQ(kept.front(), "note: line 7 \"Gap 2\": late");
  EXPECT_EQ(kept[NoteList::kMaxNotes - 1], "note: on the run");
  EXPECT_EQ(kept.back(), "note: 1 more note is not shown");
  EXPECT_EQ(notes.found(), NoteList::kMaxNotes + 1);
}

}  // namespace
}  // namespace typekiln
