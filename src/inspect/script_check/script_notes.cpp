#include "inspect/script_check/script_notes.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <string_view>
#include <utility>

#include "font/font_format.h"
#include "inspect/inspect_messages.h"
#include "report/console.h"
#include "script/command_table.h"
#include "text/ascii.h"
#include "text/utf8.h"

namespace typekiln {

namespace {

// A one-byte field holds this many values: a place this far off wraps to where it started.
constexpr int kByteValues = kMaxByteField + 1;

const msg::Noun& SetGlyphs(bool shadow) { return shadow ? msg::kShadowGlyphs : msg::kFaceGlyphs; }
const char* SetName(bool shadow) { return shadow ? msg::kShadow : msg::kFace; }

// A character as a note names it: 'A', or its code when it does not show as itself.
std::string DescribeCode(char code) {
  const auto byte = static_cast<unsigned char>(code);
  return byte > 0x20 && byte < 0x7F ? Format("'%c'", code) : Format("code %d", byte);
}

// The middle value, the upper of the two middle ones for an even count; `values` is not empty.
std::int64_t Median(std::vector<std::int64_t> values) {
  const auto middle = values.begin() + static_cast<long>(values.size() / 2);
  std::nth_element(values.begin(), middle, values.end());
  return *middle;
}

// The value most of `values` share, and how many share it; the smaller value on a tie.
template <typename Value>
std::pair<Value, std::size_t> MostCommon(std::vector<Value> values) {
  std::sort(values.begin(), values.end());
  std::pair<Value, std::size_t> best{};
  for (std::size_t i = 0; i < values.size();) {
    std::size_t j = i;
    while (j < values.size() && values[j] == values[i]) ++j;
    if (j - i > best.second)
      best = {values[i], j - i};
    i = j;
  }
  return best;
}

// The offset a font keeps in a signed byte: what the game adds.
int AsStoredOffset(std::int64_t offset) { return static_cast<std::int8_t>(offset & kMaxByteField); }

}  // namespace

void NoteList::Add(const ScriptLine* line, std::string text) {
  ++found_;
  if (kept_.size() >= kMaxNotes)
    return;
  // A script's bytes from 0x80 up are shown as \xNN, as the listing shows codes: whatever the
  // terminal's character set, they read the same.
  if (line == nullptr)
    return kept_.push_back({0, EscapeHighBytes(Format(msg::kNote, text.c_str()))});
  kept_.push_back({line->number, EscapeHighBytes(Format(msg::kNoteAt, line->number,
                                                        line->text.c_str(), text.c_str()))});
}

std::vector<std::string> NoteList::Ordered() const {
  std::vector<Note> sorted = kept_;
  std::stable_sort(sorted.begin(), sorted.end(), [](const Note& a, const Note& b) {
    return (a.line == 0 ? INT32_MAX : a.line) < (b.line == 0 ? INT32_MAX : b.line);
  });
  std::vector<std::string> texts;
  for (Note& note : sorted) texts.push_back(std::move(note.text));
  if (found_ > kept_.size()) {
    const auto unshown = static_cast<long long>(found_ - kept_.size());
    texts.push_back(Format(msg::kNote, Count(unshown, msg::kNotesNotShown).c_str()));
  }
  return texts;
}

// ---- The notes on what the run found as it went

void NoteDroppedEnd(const DroppedEnd& dropped, NoteList& notes) {
  notes.Add(&dropped.line,
            Format(msg::kNoteLineEndDropped,
                   Count(static_cast<long long>(dropped.dropped.size()), msg::kBytes).c_str(),
                   dropped.dropped.c_str()));
}

namespace {

// A word is a mistyped command when it is within one edit for every this many letters of the
// command, and one at least: "Grabb" and "LoadTag" are, "MaxWidth" is a word of its own.
constexpr std::size_t kLettersPerTypo = 3;

// Edits (insertions, deletions, changes) from one word to the other, ignoring ASCII case.
std::size_t EditDistance(std::string_view a, std::string_view b) {
  std::vector<std::size_t> row(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t above = row[j];
      const bool same = AsciiLower(a[i - 1]) == AsciiLower(b[j - 1]);
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (same ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

// The command a mistyped word most likely meant: the nearest within kLettersPerTypo.
const char* ClosestCommand(std::string_view word) {
  const char* closest = nullptr;
  std::size_t best = 0;
  for (const Command* command = kCommandTable; command->keyword != nullptr; ++command) {
    const std::string_view keyword = command->keyword;
    const std::size_t reach = std::max<std::size_t>(1, keyword.size() / kLettersPerTypo);
    const std::size_t distance = EditDistance(word, keyword);
    if (distance <= reach && (closest == nullptr || distance < best)) {
      closest = command->keyword;
      best = distance;
    }
  }
  return closest;
}

// How many bytes of the CharSet are UTF-8 characters of two bytes or more, and where the first
// starts (-1 for none).
std::pair<std::int64_t, int> Utf8Bytes(const std::string& codes) {
  std::int64_t high = 0;
  int firstHigh = -1;
  for (std::size_t i = 0; i < codes.size();) {
    // A byte from 0x80 up that starts no UTF-8 character of two bytes or more stands for
    // itself, a Latin-1 code put there on purpose; a UTF-8 character is what an editor saves
    // when the artist types one.
    const Utf8Character character = DecodeUtf8(codes, i);
    const std::size_t sequence = character.length > 1 ? character.length : 0;
    if (sequence > 0 && high == 0)
      firstHigh = static_cast<int>(i);
    high += static_cast<std::int64_t>(sequence);
    i += std::max<std::size_t>(sequence, 1);
  }
  return {high, firstHigh};
}

// True when a Latin-1 script's CharSet holds UTF-8 characters; in a UTF-8 script the
// characters are codes already.
bool HasUtf8(const CharSetLine& charSet) {
  return charSet.encoding == ScriptEncoding::Latin1 && Utf8Bytes(charSet.codes).first > 0;
}

}  // namespace

void NoteUnknownWord(const UnknownWord& unknown, NoteList& notes) {
  const char* closest = ClosestCommand(unknown.word);
  notes.Add(&unknown.line, closest != nullptr
                               ? Format(msg::kNoteUnknownCommand, unknown.word.c_str(), closest)
                               : Format(msg::kNoteUnknownWord, unknown.word.c_str()));
}

void NoteCharSet(const CharSetLine& charSet, NoteList& notes) {
  const std::string& codes = charSet.codes;
  const ScriptLine& line = charSet.line;
  if (HasUtf8(charSet)) {
    const auto [high, firstHigh] = Utf8Bytes(codes);
    notes.Add(&line, Format(msg::kNoteHighBytes, Count(high, msg::kBytes).c_str(),
                            static_cast<unsigned char>(codes[static_cast<std::size_t>(firstHigh)]),
                            firstHigh, line.number));
    // A lead byte repeats whenever two UTF-8 characters share it: that is one mistake, noted
    // above, not two.
    return;
  }
  std::int64_t repeats = 0;
  int firstRepeat = -1;
  int firstEarlier = -1;
  for (std::size_t i = 0; i < codes.size(); ++i) {
    const auto earlier = codes.find(codes[i]);
    if (earlier != i && repeats++ == 0) {
      firstRepeat = static_cast<int>(i);
      firstEarlier = static_cast<int>(earlier);
    }
  }
  if (repeats > 0) {
    notes.Add(&line,
              Format(msg::kNoteSharedCode, Count(repeats, msg::kEntriesRepeat).c_str(),
                     codes[static_cast<std::size_t>(firstRepeat)], firstEarlier, firstRepeat));
  }
}

void NotePicture(const PictureLoad& load, NoteList& notes) {
  if (load.rightToLeft)
    notes.Add(&load.line, Format(msg::kNoteRightToLeft, load.path.c_str()));
  if (load.opaque)
    notes.Add(&load.line, Format(msg::kNoteOpaque, load.path.c_str()));
}

namespace {

// Anti-aliasing leaves faint ink at most a pixel past a glyph's edge; further out it is a smudge
// that makes the glyph's box larger than what shows.
constexpr std::int64_t kFaintReach = 2;
// The note on a picture's faint ink names this many of its glyphs, those it widens most: enough
// to find the smudges, few enough to read.
constexpr std::size_t kWorstFaintGlyphs = 3;

// The Grabs that took glyphs from picture load `load`: those of a load follow one another.
std::pair<std::vector<ScannedGrab>::const_iterator, std::vector<ScannedGrab>::const_iterator>
GrabsOf(const RunFindings& run, std::size_t load) {
  struct ByLoad {
    bool operator()(const ScannedGrab& grab, std::size_t value) const { return grab.load < value; }
    bool operator()(std::size_t value, const ScannedGrab& grab) const { return value < grab.load; }
  };
  return std::equal_range(run.grabs.begin(), run.grabs.end(), load, ByLoad{});
}

}  // namespace

void NoteFaintInk(const RunFindings& run, std::size_t load, NoteList& notes) {
  struct FaintGlyph {
    bool shadow;
    std::int32_t index;
    std::int64_t reach;
  };
  std::vector<FaintGlyph> faint;
  std::vector<GrabbedGlyph> unseen;
  const auto [begin, end] = GrabsOf(run, load);
  // A band of ink from edge to edge has a note of its own.
  for (auto grab = begin; grab != end; ++grab) {
    if (ClearIsInk(*grab))
      continue;
    for (const CutGlyph& cut : grab->glyphs) {
      if (cut.faint && !cut.shows)
        unseen.push_back(cut.glyph);
      else if (cut.faintReach >= kFaintReach)
        faint.push_back({cut.glyph.shadow, cut.glyph.index, cut.faintReach});
    }
  }
  const PictureLoad& picture = run.loads[load];
  const char* path = picture.path.c_str();
  if (!faint.empty()) {
    std::stable_sort(faint.begin(), faint.end(),
                     [](const FaintGlyph& a, const FaintGlyph& b) { return a.reach > b.reach; });
    std::string worst;
    for (std::size_t i = 0; i < std::min(faint.size(), kWorstFaintGlyphs); ++i) {
      worst +=
          (i == 0 ? "" : ", ") + Format(msg::kNoteFaintGlyph, SetName(faint[i].shadow),
                                        faint[i].index, static_cast<long long>(faint[i].reach));
    }
    notes.Add(
        &picture.line,
        Format(msg::kNoteFaintInk, path, kFaintAlpha - 1,
               Count(static_cast<long long>(faint.size()), msg::kGlyphs).c_str(), worst.c_str()));
  }
  if (!unseen.empty()) {
    notes.Add(&picture.line,
              Format(msg::kNoteUnseenGlyphs, path,
                     Count(static_cast<long long>(unseen.size()), msg::kGlyphs).c_str(),
                     kFaintAlpha - 1, SetName(unseen.front().shadow), unseen.front().index));
  }
}

namespace {

// A band is ink from edge to edge when more than one in this many of its pixels are coloured
// with alpha 0: a picture saved with its clear pixels coloured, not strokes joined on purpose.
constexpr std::int64_t kClearInkShare = 2;

std::int64_t ColouredClear(const ScannedGrab& grab) {
  std::int64_t colouredClear = 0;
  for (const CutGlyph& cut : grab.glyphs) colouredClear += cut.colouredClear;
  return colouredClear;
}

}  // namespace

bool ClearIsInk(const ScannedGrab& grab) {
  return grab.pixels > 0 && ColouredClear(grab) * kClearInkShare > grab.pixels;
}

void NoteClearIsInk(const RunFindings& run, std::size_t grab, NoteList& notes) {
  const ScannedGrab& scanned = run.grabs[grab];
  notes.Add(
      &scanned.line,
      Format(msg::kNoteColouredClear, std::to_string(ColouredClear(scanned)).c_str(),
             Count(scanned.pixels, msg::kPixels).c_str(), run.loads[scanned.load].path.c_str()));
}

// A band of ink from edge to edge gets the note of NoteClearIsInk in place of these, which
// follow from it.
void NoteBand(const ScannedGrab& grab, NoteList& notes) {
  if (ClearIsInk(grab))
    return;
  const PictureBox& box = grab.band.box;
  if (!grab.glyphs.empty()) {
    const CutGlyph& first = grab.glyphs.front();
    if (first.inkFrom < first.glyph.ink.x && box.x == first.glyph.ink.x) {
      notes.Add(&grab.line,
                Format(msg::kNoteStartsInside, static_cast<int>(box.x), SetName(grab.band.shadow),
                       first.glyph.index, static_cast<long long>(first.inkFrom),
                       static_cast<long long>(first.inkFrom)));
    }
  }
  for (const CutGlyph& cut : grab.glyphs) {
    const GrabbedGlyph& glyph = cut.glyph;
    if (glyph.ink.width > kMaxByteField || glyph.ink.height > kMaxByteField) {
      notes.Add(&grab.line, Format(msg::kNoteTooLarge, SetName(glyph.shadow), glyph.index,
                                   static_cast<long long>(glyph.ink.width),
                                   static_cast<long long>(glyph.ink.height), kByteValues));
    }
  }
}

// ---- The notes on the run as a whole

namespace {

bool CutsGlyphs(const ScannedGrab& grab) {
  return !ClearIsInk(grab) &&
         std::any_of(grab.glyphs.begin(), grab.glyphs.end(),
                     [](const CutGlyph& cut) { return cut.inkBelow > 0 || cut.inkAbove > 0; });
}

// A band taller than the distance to the band below takes in the top of that band's glyphs:
// when another Grab took glyphs from the same picture whose ink starts inside this band's rows
// and columns, the band reaches into them. The first such Grab, of those that took glyphs.
std::optional<std::size_t> ReachesInto(const RunFindings& run, const ScannedGrab& grab,
                                       const std::vector<std::size_t>& taking) {
  const PictureBox& box = grab.band.box;
  for (const std::size_t other : taking) {
    const ScannedGrab& below = run.grabs[other];
    const std::int64_t y = below.band.box.y;
    if (below.load != grab.load || y <= box.y || y >= grab.endRow)
      continue;
    const auto& slots = run.sets[below.band.shadow ? 1 : 0];
    for (std::int32_t i = below.band.firstGlyph; i < below.band.endGlyph; ++i) {
      const PictureBox& ink = slots[static_cast<std::size_t>(i)].ink;
      if (ink.y < grab.endRow && ink.x < box.x + box.width && ink.x + ink.width > box.x)
        return other;
    }
  }
  return std::nullopt;
}

// A glyph whose ink reaches the band's bottom row and goes on in the row below, in its own
// columns, is cut there; the same at the top. The note on a band that cuts glyphs.
std::string CutNote(const ScannedGrab& grab) {
  const PictureBox& box = grab.band.box;
  std::int64_t below = 0;
  std::int64_t above = 0;
  std::int64_t cut = 0;
  std::int32_t firstCut = -1;
  for (const CutGlyph& glyph : grab.glyphs) {
    below = std::max(below, glyph.inkBelow);
    above = std::max(above, glyph.inkAbove);
    if (glyph.inkBelow > 0 || glyph.inkAbove > 0) {
      ++cut;
      firstCut = firstCut < 0 ? glyph.glyph.index : std::min(firstCut, glyph.glyph.index);
    }
  }
  const std::int64_t first = grab.firstRow;
  const std::int64_t end = grab.endRow;
  const char* where = above == 0   ? msg::kNoteCutBelow
                      : below == 0 ? msg::kNoteCutAbove
                                   : msg::kNoteCutBoth;
  const std::int64_t top = first - above;
  const std::int64_t height = std::max(end + below, box.y + box.height) - top;
  const std::string hold =
      above == 0 ? Format(msg::kNoteHoldBelow, static_cast<long long>(end + below - box.y))
                 : Format(msg::kNoteHoldAbove, static_cast<long long>(top),
                          static_cast<long long>(height));
  return Format(msg::kNoteCut, static_cast<long long>(first), static_cast<long long>(end - 1),
                Count(cut, SetGlyphs(grab.band.shadow)).c_str(), firstCut, where, hold.c_str());
}

bool AllWhole(const std::vector<GrabJudgement>& judged) {
  return std::all_of(judged.begin(), judged.end(),
                     [](const GrabJudgement& grab) { return grab.whole; });
}

}  // namespace

std::vector<GrabJudgement> JudgeGrabs(const RunFindings& run) {
  std::vector<std::size_t> taking;  // grabs that took glyphs: at most one per glyph
  for (std::size_t i = 0; i < run.grabs.size(); ++i) {
    if (run.grabs[i].band.endGlyph > run.grabs[i].band.firstGlyph)
      taking.push_back(i);
  }
  std::vector<GrabJudgement> judged;
  for (const ScannedGrab& grab : run.grabs) {
    GrabJudgement& judgement = judged.emplace_back();
    judgement.reachesInto = ReachesInto(run, grab, taking);
    judgement.whole = !ClearIsInk(grab) && !judgement.reachesInto;
    judgement.cuts = CutsGlyphs(grab);
  }
  return judged;
}

// A band that reaches into another's glyphs is noted in place of the cut it makes, since more
// rows would only take in more.
void NoteReach(const WholeRun& whole, NoteList& notes) {
  for (std::size_t g = 0; g < whole.run.grabs.size(); ++g) {
    const ScannedGrab& grab = whole.run.grabs[g];
    if (whole.judged[g].reachesInto) {
      const ScannedGrab& below = whole.run.grabs[*whole.judged[g].reachesInto];
      const std::int64_t y = below.band.box.y;
      notes.Add(&grab.line,
                Format(msg::kNoteReach, static_cast<long long>(grab.firstRow),
                       static_cast<long long>(grab.endRow - 1), below.line.number,
                       static_cast<long long>(y), static_cast<long long>(y - grab.band.box.y)));
    } else if (whole.judged[g].cuts) {
      notes.Add(&grab.line, CutNote(grab));
    }
  }
}

namespace {

// The notes on glyph widths take a glyph for two drawn as one, or two for one drawn as two.
// Their thresholds were set against the sheets the font sheets test draws
// (tests/font_sheets.py: 120 sheets of Debian's TrueType fonts, 9 to 24 pixels, anti-aliased
// and not), on which they must say nothing, while a W and an X drawn touching must be seen as
// two glyphs merged. A Ratio holds where `times` of a value exceed `over` of the other: {3, 4}
// is over a third more.
struct Ratio {
  std::int64_t times;
  std::int64_t over;
};

bool Exceeds(std::int64_t value, std::int64_t other, Ratio ratio) {
  return ratio.times * value > ratio.over * other;
}

// A set of fewer glyphs is not judged: it has no middle width that most of its glyphs keep.
constexpr std::size_t kLeastGlyphsToJudgeWidths = 3;
// Two glyphs merged are more than this many times as wide as the set's middle glyph: the widest
// letters of a font, W and M, are not.
constexpr std::int64_t kMergedOverMiddle = 2;
// ... and wider than it by this many pixels at least, so that a set of 2 or 3 pixel glyphs
// does not qualify by a pixel.
constexpr std::int64_t kMergedMargin = 4;
// ... and wider than any single glyph of an ordinary font is: over a third more than the set's
// tallest glyph is high,
constexpr Ratio kMergedOverTallest{3, 4};
// ... or 1.4 times as wide as any other glyph of the set.
constexpr Ratio kMergedOverWidest{5, 7};
// A character split in two is two narrow, short marks of one height and top (as the strokes of
// '"' are): neither wider than this share of the middle glyph nor taller than this share of the
// tallest, together no wider than the middle glyph.
constexpr std::int64_t kSplitMarkShare = 2;
// ... and whose widths differ by this many pixels at most: the two strokes of one mark.
constexpr std::int64_t kSplitWidthsDiffer = 1;

}  // namespace

// Widths judged against the whole set, so that a wide glyph among narrow neighbours is not
// taken for two.
void NoteGlyphWidths(const WholeRun& whole, NoteList& notes) {
  for (const bool shadow : {false, true}) {
    const auto& slots = whole.run.sets[shadow ? 1 : 0];
    if (slots.size() < kLeastGlyphsToJudgeWidths)
      continue;
    std::vector<std::int64_t> widths;
    std::int64_t tallest = 0;
    for (const GlyphSlot& slot : slots) {
      widths.push_back(slot.ink.width);
      tallest = std::max(tallest, slot.ink.height);
    }
    const std::int64_t middle = Median(widths);
    std::partial_sort(widths.begin(), widths.begin() + 2, widths.end(), std::greater<>());
    for (std::size_t i = 0; i < slots.size(); ++i) {
      const GrabJudgement& judgement = whole.judged[slots[i].grab];
      if (!judgement.whole || judgement.cuts)
        continue;
      const ScriptLine& line = whole.run.grabs[slots[i].grab].line;
      const PictureBox& ink = slots[i].ink;
      const std::int64_t widestOther = ink.width == widths[0] ? widths[1] : widths[0];
      if (ink.width > kMergedOverMiddle * middle && ink.width >= middle + kMergedMargin &&
          (Exceeds(ink.width, tallest, kMergedOverTallest) ||
           Exceeds(ink.width, widestOther, kMergedOverWidest))) {
        notes.Add(&line, Format(msg::kNoteMerged, SetName(shadow), static_cast<int>(i),
                                static_cast<long long>(ink.width), static_cast<long long>(middle)));
      }
      if (i + 1 == slots.size() || slots[i + 1].grab != slots[i].grab)
        continue;
      const PictureBox& next = slots[i + 1].ink;
      if (ink.y == next.y && ink.height == next.height &&
          std::abs(ink.width - next.width) <= kSplitWidthsDiffer &&
          kSplitMarkShare * std::max(ink.width, next.width) <= middle &&
          kSplitMarkShare * ink.height <= tallest && next.x + next.width - ink.x <= middle) {
        notes.Add(&line, Format(msg::kNoteSplit, SetName(shadow), static_cast<int>(i),
                                static_cast<int>(i + 1)));
      }
    }
  }
}

// The font keeps where a shadow lies from its face in a signed byte each way, so a shadow drawn
// far from its face is drawn by the game at that distance, wrapped to -128..127; and one drawn
// at its face's place, as large, is drawn hidden behind it.
void NoteShadowPlaces(const WholeRun& whole, NoteList& notes) {
  const auto& faces = whole.run.sets[0];
  const auto& shadows = whole.run.sets[1];
  const auto bandTop = [&](const GlyphSlot& slot) { return whole.run.grabs[slot.grab].band.box.y; };
  // As the font stores it: ink column from ink column, band row from band row.
  const auto offset = [&](std::size_t i) {
    return std::pair{AsStoredOffset(shadows[i].ink.x - faces[i].ink.x),
                     AsStoredOffset(bandTop(shadows[i]) - bandTop(faces[i]))};
  };
  const auto hidden = [&](std::size_t i) {
    const PictureBox& face = faces[i].ink;
    const PictureBox& shadow = shadows[i].ink;
    return offset(i) == std::pair{0, 0} && face.width == shadow.width &&
           face.height == shadow.height &&
           face.y - bandTop(faces[i]) == shadow.y - bandTop(shadows[i]);
  };
  // One note of each kind for each shadow Grab with such shadows, named by its first.
  for (const bool far : {true, false}) {
    std::int64_t count = 0;
    std::size_t first = 0;
    const auto flush = [&] {
      if (count == 0)
        return;
      const auto [dx, dy] = offset(first);
      const ScriptLine& line = whole.run.grabs[shadows[first].grab].line;
      const int faceLine = whole.run.grabs[faces[first].grab].line.number;
      notes.Add(&line,
                far ? Format(msg::kNoteNotDropShadow, Count(count, msg::kShadowGlyphsLie).c_str(),
                             static_cast<int>(first), dx, dy, faceLine, kByteValues)
                    : Format(msg::kNoteShadowHidden, Count(count, msg::kShadowGlyphsLie).c_str(),
                             static_cast<int>(first), faceLine));
      count = 0;
    };
    for (std::size_t i = 0; i < std::min(faces.size(), shadows.size()); ++i) {
      if (count > 0 && shadows[i].grab != shadows[first].grab)
        flush();
      if (!whole.judged[faces[i].grab].whole || !whole.judged[shadows[i].grab].whole)
        continue;
      const auto [dx, dy] = offset(i);
      const bool noted =
          far ? std::abs(dx) > kDropShadowReach || std::abs(dy) > kDropShadowReach : hidden(i);
      if (noted && count++ == 0)
        first = i;
    }
    flush();
  }
}

namespace {

// How a shadow lies against its face, as the game draws the two: where its ink starts from the
// face's, and how much wider and taller it is.
struct PairShape {
  std::int64_t dx = 0, dy = 0, wider = 0, taller = 0;
  auto operator<=>(const PairShape&) const = default;
};

// Pairs of face and shadow that must lie alike for the others to be out of step: fewer make no
// rule, as in a font of a few glyphs each shadowed its own way.
constexpr std::size_t kLeastPairsInStep = 5;
// ... and the share of the pairs that must (all but one in this many): where more differ, the
// artist meant them to.
constexpr std::size_t kStepShare = 5;

}  // namespace

// Shadows are the faces moved, or grown, all alike: a pair that differs from what a clear
// majority of the pairs shows is a face retouched without its shadow, or a shadow drawn in the
// wrong place.
void NoteShadowSteps(const WholeRun& whole, NoteList& notes) {
  const auto& faces = whole.run.sets[0];
  const auto& shadows = whole.run.sets[1];
  std::vector<std::size_t> pairs;
  std::vector<PairShape> shapes;
  for (std::size_t i = 0; i < std::min(faces.size(), shadows.size()); ++i) {
    const GrabJudgement& face = whole.judged[faces[i].grab];
    const GrabJudgement& shadow = whole.judged[shadows[i].grab];
    if (!face.whole || !shadow.whole || face.cuts || shadow.cuts)
      continue;
    const PictureBox& faceInk = faces[i].ink;
    const PictureBox& shadowInk = shadows[i].ink;
    pairs.push_back(i);
    shapes.push_back({shadowInk.x - faceInk.x, shadowInk.y - faceInk.y,
                      shadowInk.width - faceInk.width, shadowInk.height - faceInk.height});
  }
  const auto [usual, alike] = MostCommon(shapes);
  if (alike < kLeastPairsInStep || alike * kStepShare < shapes.size() * (kStepShare - 1))
    return;
  for (std::size_t k = 0; k < pairs.size(); ++k) {
    const PairShape& shape = shapes[k];
    // A shadow too far for a drop has its own note.
    if (shape == usual || std::abs(shape.dx) > kDropShadowReach ||
        std::abs(shape.dy) > kDropShadowReach)
      continue;
    const std::size_t i = pairs[k];
    const char code =
        i < whole.state.settings.charSet.size() ? whole.state.settings.charSet[i] : '\0';
    notes.Add(&whole.run.grabs[shadows[i].grab].line,
              Format(msg::kNoteShadowOutOfStep, DescribeCode(code).c_str(), static_cast<int>(i),
                     static_cast<long long>(shape.dx), static_cast<long long>(shape.dy),
                     static_cast<long long>(shape.wider), static_cast<long long>(shape.taller),
                     static_cast<int>(alike), static_cast<int>(pairs.size()),
                     static_cast<long long>(usual.dx), static_cast<long long>(usual.dy),
                     static_cast<long long>(usual.wider), static_cast<long long>(usual.taller)));
  }
}

namespace {

// Other bands of the set in the picture that must be there for a band's place to be judged:
// two make a step.
constexpr std::size_t kLeastBandsInStep = 2;
// A band is off the step by less than this share of it: one further off is a band of its own,
// drawn apart on purpose.
constexpr std::int64_t kBandStepShare = 3;
// A band's flat-footed characters of a kind that must end on one row, besides more than half of
// them, for it to be the band's baseline: one glyph is no line.
constexpr std::size_t kLeastGlyphsOnBaseline = 2;

// Where the characters of a band that stand on the baseline with a flat foot end, from the band's
// top: the row where most of them end, for each kind, figures, capitals and small letters apart
// (renderers may set them a row apart); nothing for a kind the band holds too few of.
std::array<std::optional<std::int64_t>, 3> BaselineRows(const RunFindings& run,
                                                        const ScannedGrab& grab,
                                                        const BuildState& state) {
  static constexpr std::string_view kFlatFooted[] = {"1247", "ABDEFHIKLMNPRTXZ", "hiklmnrxz"};
  const auto& charSet = state.settings.charSet;
  const auto& slots = run.sets[grab.band.shadow ? 1 : 0];
  std::array<std::optional<std::int64_t>, 3> rows;
  for (std::size_t kind = 0; kind < rows.size(); ++kind) {
    std::vector<std::int64_t> ends;
    for (std::int32_t i = grab.band.firstGlyph; i < grab.band.endGlyph; ++i) {
      const auto index = static_cast<std::size_t>(i);
      if (index < charSet.size() && charSet[index] != '\0' &&
          kFlatFooted[kind].find(charSet[index]) != std::string_view::npos)
        ends.push_back(slots[index].ink.y + slots[index].ink.height - grab.band.box.y);
    }
    const auto [row, count] = MostCommon(ends);
    if (count >= kLeastGlyphsOnBaseline && 2 * count > ends.size())
      rows[kind] = row;
  }
  return rows;
}

}  // namespace

// Bands drawn one below the other keep an even step, and a Grab line names each band's top. A
// Grab whose top is a row or a few off the step the other bands of its picture keep takes its
// glyphs with their tops off by as much, so they sit out of line in every text; unless its
// glyphs were drawn off the step by as much too, which their baseline shows.
void NoteBandBaselines(const WholeRun& whole, NoteList& notes) {
  for (std::size_t g = 0; g < whole.run.grabs.size(); ++g) {
    const ScannedGrab& grab = whole.run.grabs[g];
    if (!whole.judged[g].whole || whole.judged[g].cuts ||
        grab.band.endGlyph == grab.band.firstGlyph)
      continue;
    // The tops of the other bands of the set in the same picture, once each.
    std::vector<std::int64_t> tops;
    for (const ScannedGrab& other : whole.run.grabs) {
      if (&other != &grab && other.load == grab.load && other.band.shadow == grab.band.shadow &&
          other.band.box.y != grab.band.box.y &&
          std::find(tops.begin(), tops.end(), other.band.box.y) == tops.end())
        tops.push_back(other.band.box.y);
    }
    if (tops.size() < kLeastBandsInStep)
      continue;
    std::sort(tops.begin(), tops.end());
    std::vector<std::int64_t> steps;
    for (std::size_t i = 1; i < tops.size(); ++i) steps.push_back(tops[i] - tops[i - 1]);
    std::int64_t step = MostCommon(steps).first;
    if (step <= 0 || std::any_of(steps.begin(), steps.end(),
                                 [&](std::int64_t each) { return each % step != 0; }))
      continue;
    // Where this band is the one between two others, they are two steps apart: the step is the
    // smallest part of theirs that still holds a band.
    for (std::int64_t parts = step / std::max<std::int64_t>(grab.band.box.height, 1); parts > 1;
         --parts) {
      if (step % parts == 0) {
        step /= parts;
        break;
      }
    }
    // How far this band's top is from the step the others keep: a few rows, not a band's own.
    std::int64_t off = ((grab.band.box.y - tops.front()) % step + step) % step;
    off = off > step / 2 ? off - step : off;
    if (off == 0 || std::abs(off) * kBandStepShare > step)
      continue;
    // Glyphs drawn where the top says, as in the other bands: the band was drawn off the step.
    const auto rows = BaselineRows(whole.run, grab, whole.state);
    bool drawnThere = false;
    for (std::size_t o = 0; o < whole.run.grabs.size(); ++o) {
      const ScannedGrab& other = whole.run.grabs[o];
      if (o == g || other.load != grab.load || other.band.shadow != grab.band.shadow ||
          !whole.judged[o].whole)
        continue;
      const auto otherRows = BaselineRows(whole.run, other, whole.state);
      for (std::size_t kind = 0; kind < rows.size(); ++kind)
        drawnThere = drawnThere || (rows[kind] && rows[kind] == otherRows[kind]);
    }
    if (drawnThere)
      continue;
    notes.Add(&grab.line,
              Format(msg::kNoteBandOffStep, Count(std::abs(off), msg::kRows).c_str(),
                     off > 0 ? msg::kBelow : msg::kAbove, static_cast<long long>(step),
                     off > 0 ? msg::kHigher : msg::kLower, static_cast<long long>(grab.band.box.x),
                     static_cast<long long>(grab.band.box.y - off),
                     grab.band.endGlyph - grab.band.firstGlyph));
  }
}

// When faces and shadows are grabbed by as many Grab lines, each pair should take as many glyphs.
void NoteGrabCounts(const WholeRun& whole, NoteList& notes) {
  std::array<std::vector<std::size_t>, 2> bySet;
  for (std::size_t g = 0; g < whole.run.grabs.size(); ++g)
    bySet[whole.run.grabs[g].band.shadow ? 1 : 0].push_back(g);
  if (bySet[0].size() != bySet[1].size())
    return;
  for (std::size_t i = 0; i < bySet[0].size(); ++i) {
    if (!whole.judged[bySet[0][i]].whole || !whole.judged[bySet[1][i]].whole)
      continue;
    const ScannedGrab& face = whole.run.grabs[bySet[0][i]];
    const ScannedGrab& shadow = whole.run.grabs[bySet[1][i]];
    const std::int32_t faces = face.band.endGlyph - face.band.firstGlyph;
    const std::int32_t shadows = shadow.band.endGlyph - shadow.band.firstGlyph;
    if (faces != shadows) {
      notes.Add(&shadow.line,
                Format(msg::kNoteGrabCounts, Count(shadows, msg::kShadowGlyphs).c_str(),
                       face.line.number, Count(faces, msg::kFaceGlyphs).c_str()));
      return;
    }
  }
}

// A CharSet shorter than the face set leaves the last faces without a code; a longer one
// names characters that have no glyph, which a game then cannot draw.
void NoteCharSetLength(const WholeRun& whole, NoteList& notes) {
  const int faces = whole.state.faceSet.count;
  const auto& charSet = whole.state.settings.charSet;
  const auto codes =
      static_cast<int>(std::find(charSet.begin(), charSet.end(), '\0') - charSet.begin());
  const ScriptLine* line = whole.run.charSets.empty() ? nullptr : &whole.run.charSets.back().line;
  if (codes < faces) {
    notes.Add(line, Format(msg::kNoteShortCharSet, Count(codes, msg::kCodes).c_str(),
                           Count(faces, msg::kFaceGlyphs).c_str(),
                           (codes == faces - 1 ? Format(msg::kNoteEntryGets, codes)
                                               : Format(msg::kNoteEntriesGet, codes, faces - 1))
                               .c_str()));
  }
  // UTF-8 characters make the CharSet longer than it looks, and a band of ink from edge to
  // edge or one that reaches into another takes fewer glyphs than were drawn: each has a note
  // of its own.
  const bool utf8 = !whole.run.charSets.empty() && HasUtf8(whole.run.charSets.back());
  if (faces > 0 && codes > faces && !utf8 && AllWhole(whole.judged)) {
    const char first = charSet[static_cast<std::size_t>(faces)];
    const int after = codes - faces - 1;
    notes.Add(line, Format(msg::kNoteLongCharSet, Count(codes, msg::kCodes).c_str(),
                           Count(faces, msg::kFaceGlyphs).c_str(),
                           (after == 0 ? Format(msg::kNoteCharHas, first)
                                       : Format(msg::kNoteCharsHave, first,
                                                Count(after, msg::kCharacters).c_str()))
                               .c_str()));
  }
}

void NoteSetSizes(const WholeRun& whole, NoteList& notes) {
  const int faces = whole.state.faceSet.count;
  const int shadows = whole.state.shadowSet.count;
  // A face Grab that found nothing has said why in an error of its own.
  if (faces == 0 && !whole.run.faceGrabRan)
    notes.Add(nullptr, msg::kNoteNothingGrabbed);
  if (faces > 0 && shadows > 0 && shadows != faces && AllWhole(whole.judged)) {
    notes.Add(nullptr, Format(msg::kNoteSetSizes, Count(faces, msg::kGlyphs).c_str(),
                              Count(shadows, msg::kGlyphs).c_str()));
  }
}

namespace {

// The notes on the run as a whole, in the order they are made: notes on one line, and those on
// the run itself, print in that order, and past a thousand the first found are the ones kept.
constexpr WholeRunNote kWholeRunNotes[] = {
    NoteReach,         NoteGlyphWidths, NoteShadowPlaces,  NoteShadowSteps,
    NoteBandBaselines, NoteGrabCounts,  NoteCharSetLength, NoteSetSizes,
};

}  // namespace

ScriptNotes NotesOnRun(const RunFindings& run, const BuildState& state) {
  NoteList notes;
  // The notes on what the run found as it went, in the order it found it. Those on a picture's
  // faint ink wait for all its Grabs: they come when the next picture loads, or at the end. A
  // band of ink from edge to edge has one note for its picture, on the first such Grab.
  std::optional<std::size_t> load;
  std::optional<std::size_t> clearNoted;  // the last load whose ink from edge to edge is noted
  for (const RunStep& step : run.steps) {
    switch (step.kind) {
      case RunStep::Kind::DroppedEnd:
        NoteDroppedEnd(run.droppedEnds[step.index], notes);
        break;
      case RunStep::Kind::UnknownWord:
        NoteUnknownWord(run.unknownWords[step.index], notes);
        break;
      case RunStep::Kind::CharSet:
        NoteCharSet(run.charSets[step.index], notes);
        break;
      case RunStep::Kind::Load:
        if (load)
          NoteFaintInk(run, *load, notes);
        load = step.index;
        NotePicture(run.loads[step.index], notes);
        break;
      case RunStep::Kind::Grab: {
        const ScannedGrab& grab = run.grabs[step.index];
        if (ClearIsInk(grab) && clearNoted != grab.load) {
          clearNoted = grab.load;
          NoteClearIsInk(run, step.index, notes);
        }
        NoteBand(grab, notes);
        break;
      }
    }
  }
  if (load)
    NoteFaintInk(run, *load, notes);
  const WholeRun whole{run, JudgeGrabs(run), state};
  for (const WholeRunNote note : kWholeRunNotes) note(whole, notes);
  return {notes.Ordered(), notes.found()};
}

}  // namespace typekiln
