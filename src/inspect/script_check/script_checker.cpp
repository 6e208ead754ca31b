#include "inspect/script_check/script_checker.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <functional>
#include <optional>
#include <sstream>
#include <utility>

#include "font/font_format.h"
#include "glyph/grabber.h"
#include "inspect/inspect_messages.h"
#include "picture/tga_picture.h"
#include "script/command_table.h"
#include "script/script_reader.h"
#include "text/ascii.h"
#include "text/utf8.h"

namespace typekiln {

namespace {

constexpr std::uint8_t kRightToLeftBit = 0x10;
// Alpha below this stores as coverage 0.
constexpr int kFaintAlpha = 1 << kSampleShift;
// A one-byte field holds this many values: a place this far off wraps to where it started.
constexpr int kByteValues = kMaxByteField + 1;
constexpr std::size_t kWorstFaintGlyphs = 3;
// Anti-aliasing leaves faint ink at most a pixel past a glyph's edge; further out it is a smudge
// that makes the glyph's box larger than what shows.
constexpr std::int64_t kFaintReach = 2;

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

// The command a mistyped word most likely meant: one within a third of its length in edits.
const char* ClosestCommand(std::string_view word) {
  const char* closest = nullptr;
  std::size_t best = 0;
  for (const Command* command = kCommandTable; command->keyword != nullptr; ++command) {
    const std::string_view keyword = command->keyword;
    const std::size_t reach = std::max<std::size_t>(1, keyword.size() / 3);
    const std::size_t distance = EditDistance(word, keyword);
    if (distance <= reach && (closest == nullptr || distance < best)) {
      closest = command->keyword;
      best = distance;
    }
  }
  return closest;
}

const msg::Noun& SetGlyphs(bool shadow) { return shadow ? msg::kShadowGlyphs : msg::kFaceGlyphs; }
const char* SetName(bool shadow) { return shadow ? msg::kShadow : msg::kFace; }

// What the notes on glyph widths take for a glyph drawn as two, or two drawn as one. They were
// set against the sheets the font sheets test draws (tests/font_sheets.py: 120 sheets of
// Debian's TrueType fonts, 9 to 24 pixels, anti-aliased and not), on which they must say
// nothing, while a W and an X drawn touching must be seen as two glyphs merged. A Ratio holds
// where `times` of a value exceed `over` of the other: {3, 4} is over a third more.
struct Ratio {
  std::int64_t times;
  std::int64_t over;
};
// Two glyphs merged into one: more than twice as wide as the set's middle glyph, and by at least
// 4 pixels, so that a set of 2 or 3 pixel glyphs does not qualify by a pixel; and wider than any
// single glyph of an ordinary font is: over a third more than the set's tallest glyph is high,
// or 1.4 times as wide as any other glyph of the set.
constexpr std::int64_t kMergedOverMiddle = 2;
constexpr std::int64_t kMergedMargin = 4;
constexpr Ratio kMergedOverTallest{3, 4};
constexpr Ratio kMergedOverWidest{5, 7};
// A character split in two: two narrow, short marks of one height and top, neither wider than
// half the middle glyph nor taller than half the tallest, which together are no wider than the
// middle glyph (as the strokes of '"' are), and whose widths differ by a pixel at most.
constexpr std::int64_t kSplitMarkShare = 2;
constexpr std::int64_t kSplitWidthsDiffer = 1;

bool Exceeds(std::int64_t value, std::int64_t other, Ratio ratio) {
  return ratio.times * value > ratio.over * other;
}

// The middle value, the upper of the two middle ones for an even count; `values` is not empty.
std::int64_t Median(std::vector<std::int64_t> values) {
  const auto middle = values.begin() + static_cast<long>(values.size() / 2);
  std::nth_element(values.begin(), middle, values.end());
  return *middle;
}

// The offset a font keeps in a signed byte: what the game adds.
int AsStoredOffset(std::int64_t offset) { return static_cast<std::int8_t>(offset & kMaxByteField); }

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

// A character as a note names it: 'A', or its code when it does not show as itself.
std::string DescribeCode(char code) {
  const auto byte = static_cast<unsigned char>(code);
  return byte > 0x20 && byte < 0x7F ? Format("'%c'", code) : Format("code %d", byte);
}

// How many rows from `start` on, stepping by `step`, hold ink in the columns of `ink`; at most
// kCutSearchRows, and none when the rows cannot be read.
std::int64_t InkRowsBeyond(RowCache& cache, const Picture& picture, const PictureBox& ink,
                           std::int64_t start, std::int64_t step) {
  const std::int64_t reach = ScriptChecker::kCutSearchRows;
  const std::int64_t first = step > 0 ? start : std::max<std::int64_t>(0, start - reach + 1);
  const std::int64_t end =
      step > 0 ? std::min<std::int64_t>(picture.height, start + reach) : start + 1;
  PixelRows rows;
  if (first >= end || cache.Read(picture, first, end, rows).Failed())
    return 0;
  std::int64_t found = 0;
  for (std::int64_t row = start; row >= first && row < end; row += step, ++found) {
    bool any = false;
    for (std::int64_t column = ink.x; column < ink.x + ink.width && !any; ++column)
      any = IsInk(rows.Pixel(row - first, column));
    if (!any)
      break;
  }
  return found;
}

}  // namespace

void ScriptChecker::Add(const ScriptLine* line, std::string text) {
  ++found_;
  if (pending_.size() >= kMaxNotes) {
    ++unshown_;
    return;
  }
  // A script's bytes from 0x80 up are shown as \xNN, as the listing shows codes: whatever the
  // terminal's character set, they read the same.
  if (line == nullptr)
    return pending_.push_back({0, EscapeHighBytes(Format(msg::kNote, text.c_str()))});
  pending_.push_back({line->number, EscapeHighBytes(Format(msg::kNoteAt, line->number,
                                                           line->text.c_str(), text.c_str()))});
}

void ScriptChecker::LineEndDropped(const ScriptLine& line, std::string_view dropped) {
  Add(&line, Format(msg::kNoteLineEndDropped,
                    Count(static_cast<long long>(dropped.size()), msg::kBytes).c_str(),
                    std::string(dropped).c_str()));
}

void ScriptChecker::UnknownCommand(const ScriptLine& line, std::string_view word) {
  const std::string text(word);
  const char* closest = ClosestCommand(word);
  Add(&line, closest != nullptr ? Format(msg::kNoteUnknownCommand, text.c_str(), closest)
                                : Format(msg::kNoteUnknownWord, text.c_str()));
}

void ScriptChecker::CommandRan(const ScriptLine& line, std::string_view keyword,
                               const BuildState& state) {
  if (keyword == "Grab" && state.section == Section::Faces)
    faceGrabRan_ = true;
  if (keyword != "CharSet")
    return;
  charSetLine_ = line;
  const auto& codes = state.settings.charSet;
  const auto length =
      static_cast<std::size_t>(std::find(codes.begin(), codes.end(), '\0') - codes.begin());
  std::int64_t high = 0;
  int firstHigh = -1;
  std::int64_t repeats = 0;
  int firstRepeat = -1;
  int firstEarlier = -1;
  for (std::size_t i = 0, sequenceEnd = 0; i < length; ++i) {
    if (i >= sequenceEnd) {
      // A byte from 0x80 up that starts no UTF-8 character of two bytes or more stands for
      // itself, a Latin-1 code put there on purpose; a UTF-8 character is what an editor saves
      // when the artist types one.
      const Utf8Character character = DecodeUtf8(std::string_view(codes.data(), length), i);
      const std::size_t sequence = character.length > 1 ? character.length : 0;
      if (sequence > 0 && high == 0)
        firstHigh = static_cast<int>(i);
      high += static_cast<std::int64_t>(sequence);
      sequenceEnd = i + sequence;
    }
    const auto earlier = std::find(codes.begin(), codes.begin() + static_cast<long>(i), codes[i]);
    if (earlier != codes.begin() + static_cast<long>(i) && repeats++ == 0) {
      firstRepeat = static_cast<int>(i);
      firstEarlier = static_cast<int>(earlier - codes.begin());
    }
  }
  // In a UTF-8 script the characters are codes already.
  charSetHasUtf8_ = high > 0 && state.encoding == ScriptEncoding::Latin1;
  if (charSetHasUtf8_) {
    Add(&line, Format(msg::kNoteHighBytes, Count(high, msg::kBytes).c_str(),
                      static_cast<unsigned char>(codes[static_cast<std::size_t>(firstHigh)]),
                      firstHigh, line.number));
  }
  // A lead byte repeats whenever two UTF-8 characters share it: that is one mistake,
  // noted above, not two.
  if (repeats > 0 && !charSetHasUtf8_) {
    Add(&line, Format(msg::kNoteSharedCode, Count(repeats, msg::kEntriesRepeat).c_str(),
                      codes[static_cast<std::size_t>(firstRepeat)], firstEarlier, firstRepeat));
  }
}

void ScriptChecker::PictureLoaded(const ScriptLine& line, const Picture& picture) {
  NoteFaintInk();
  pictureLine_ = line;
  ++loads_;
  colouredClearNoted_ = false;
  if (!HasPixels(picture))
    return;
  pictures_.push_back({picture.path, picture.width, picture.height, {}, {}});
  if ((picture.descriptor & kRightToLeftBit) != 0)
    Add(&line, Format(msg::kNoteRightToLeft, picture.path.c_str()));
  bool opaque = true;
  const auto allOpaque = [&](std::int64_t, const std::uint8_t* row) {
    for (std::int64_t x = 0; x < picture.width && opaque; ++x)
      opaque = row[x * kBytesPerPixel + kAlphaByte] == 255;
    return opaque;
  };
  if (!VisitRows(picture, allOpaque) || !opaque)
    return;
  Add(&line, Format(msg::kNoteOpaque, picture.path.c_str()));
}

void ScriptChecker::LineRuns(const ScriptLine& line) { running_ = line; }

void ScriptChecker::GlyphGrabbed(const GrabbedGlyph& glyph, const Band& band) {
  if (!pictures_.empty())
    pictures_.back().glyphs.push_back(glyph);
  CutGlyph cut{glyph};
  const PictureBox& ink = glyph.ink;
  const auto faint = [](std::uint8_t alpha) { return alpha > 0 && alpha < kFaintAlpha; };
  // The box of the ink that is not faint: what shows, and the coloured pixels of alpha 0 that
  // join strokes on purpose.
  std::int64_t left = ink.x + ink.width;
  std::int64_t right = ink.x - 1;
  std::int64_t top = ink.y + ink.height;
  std::int64_t bottom = ink.y - 1;
  bool anyFaint = false;
  for (std::int64_t y = ink.y; y < ink.y + ink.height; ++y) {
    for (std::int64_t x = ink.x; x < ink.x + ink.width; ++x) {
      const std::uint8_t* pixel = band.Pixel(y - band.first(), x);
      const std::uint8_t alpha = pixel[kAlphaByte];
      if (!IsInk(pixel))
        continue;
      if (faint(alpha)) {
        anyFaint = true;
        continue;
      }
      cut.shows = cut.shows || alpha > 0;
      cut.colouredClear += alpha == 0 ? 1 : 0;
      left = std::min(left, x);
      right = std::max(right, x);
      top = std::min(top, y);
      bottom = std::max(bottom, y);
    }
  }
  // Faint ink, but for the advance marks of a drawn glyph's rows (which widen its box on
  // purpose, to its advance) and those of a glyph that is nothing else (a space): how far it
  // widens the box past the rest of the ink.
  std::int64_t faintLeft = left, faintRight = right, faintTop = top, faintBottom = bottom;
  for (std::int64_t y = ink.y; y < ink.y + ink.height && anyFaint; ++y) {
    for (std::int64_t x = ink.x; x < ink.x + ink.width; ++x) {
      const std::uint8_t* pixel = band.Pixel(y - band.first(), x);
      if (!faint(pixel[kAlphaByte]) ||
          (IsAdvanceMark(pixel) && (left > right || (y >= top && y <= bottom))))
        continue;
      cut.faint = true;
      faintLeft = std::min(faintLeft, x);
      faintRight = std::max(faintRight, x);
      faintTop = std::min(faintTop, y);
      faintBottom = std::max(faintBottom, y);
    }
  }
  if (cut.faint && left <= right) {
    cut.faintReach =
        std::max({left - faintLeft, faintRight - right, top - faintTop, faintBottom - bottom});
  }
  // Ink that runs on to the left of a Grab's first glyph belongs to it: the grab started
  // inside it.
  cut.inkFrom = ink.x;
  if (bandGlyphs_.empty()) {
    const auto columnHasInk = [&](std::int64_t x) {
      for (std::int64_t row = 0; row < band.rows(); ++row) {
        if (IsInk(band.Pixel(row, x)))
          return true;
      }
      return false;
    };
    while (cut.inkFrom > 0 && columnHasInk(cut.inkFrom - 1)) --cut.inkFrom;
  }
  bandGlyphs_.push_back(cut);
}

void ScriptChecker::BandScanned(const ScannedBand& band, const Picture& picture) {
  const ScriptLine& line = running_;
  if (!pictures_.empty())
    pictures_.back().bands.push_back(band.box);
  Grab grab;
  grab.line = line;
  grab.band = band;
  grab.picture = loads_;
  grab.firstRow = std::clamp<std::int64_t>(band.box.y, 0, picture.height);
  grab.endRow =
      std::clamp<std::int64_t>(band.box.y + band.box.height, grab.firstRow, picture.height);
  auto& slots = sets_[band.shadow ? 1 : 0];
  for (const CutGlyph& cut : bandGlyphs_) {
    const auto index = static_cast<std::size_t>(cut.glyph.index);
    slots.resize(std::max(slots.size(), index + 1));
    slots[index] = {grabs_.size(), cut.glyph.ink};
  }
  NoteBand(line, grab, picture);
  grabs_.push_back(std::move(grab));
  bandGlyphs_.clear();
}

// The notes on one band as it is scanned. A band that is mostly coloured pixels of alpha 0 is
// ink from edge to edge: that gets one note for the picture, on the first such Grab, in place
// of the notes on sizes and cuts that follow from it.
void ScriptChecker::NoteBand(const ScriptLine& line, Grab& grab, const Picture& picture) {
  const PictureBox& box = grab.band.box;
  const std::int64_t columns = std::max<std::int64_t>(
      std::min<std::int64_t>(box.x + box.width, picture.width) - std::max<std::int64_t>(box.x, 0),
      0);
  const std::int64_t pixels = columns * (grab.endRow - grab.firstRow);
  std::int64_t colouredClear = 0;
  for (const CutGlyph& cut : bandGlyphs_) colouredClear += cut.colouredClear;
  if (pixels > 0 && colouredClear * 2 > pixels) {
    grab.clearIsInk = true;
    if (!colouredClearNoted_) {
      colouredClearNoted_ = true;
      Add(&line, Format(msg::kNoteColouredClear, std::to_string(colouredClear).c_str(),
                        Count(pixels, msg::kPixels).c_str(), picture.path.c_str()));
    }
    return;
  }
  if (!bandGlyphs_.empty()) {
    const CutGlyph& first = bandGlyphs_.front();
    if (first.inkFrom < first.glyph.ink.x && box.x == first.glyph.ink.x) {
      Add(&line, Format(msg::kNoteStartsInside, static_cast<int>(box.x), SetName(grab.band.shadow),
                        first.glyph.index, static_cast<long long>(first.inkFrom),
                        static_cast<long long>(first.inkFrom)));
    }
  }
  for (const CutGlyph& cut : bandGlyphs_) {
    const GrabbedGlyph& glyph = cut.glyph;
    if (glyph.ink.width > kMaxByteField || glyph.ink.height > kMaxByteField) {
      Add(&line, Format(msg::kNoteTooLarge, SetName(glyph.shadow), glyph.index,
                        static_cast<long long>(glyph.ink.width),
                        static_cast<long long>(glyph.ink.height), kByteValues));
    }
    if (cut.faint && !cut.shows)
      unseen_.push_back(glyph);
    else if (cut.faintReach >= kFaintReach)
      faint_.push_back({glyph.shadow, glyph.index, cut.faintReach});
  }
  grab.cutNote = CutNote(grab.band, picture);
}

// A glyph whose ink reaches the band's bottom row and goes on in the row below, in its own
// columns, is cut there; the same at the top. The note, or nothing when the band cuts none.
std::string ScriptChecker::CutNote(const ScannedBand& band, const Picture& picture) {
  const std::int64_t first = std::max<std::int64_t>(band.box.y, 0);
  const std::int64_t end = std::min<std::int64_t>(band.box.y + band.box.height, picture.height);
  std::int64_t below = 0;
  std::int64_t above = 0;
  std::int64_t cut = 0;
  std::int32_t firstCut = -1;
  std::vector<bool> isCut(bandGlyphs_.size(), false);
  // Below for every glyph, then above: each direction reads its rows once.
  for (const bool down : {true, false}) {
    for (std::size_t i = 0; i < bandGlyphs_.size(); ++i) {
      const GrabbedGlyph& glyph = bandGlyphs_[i].glyph;
      const bool touches = down ? glyph.ink.y + glyph.ink.height == end && end < picture.height
                                : glyph.ink.y == first && first > 0;
      const std::int64_t rows =
          touches ? InkRowsBeyond(rows_, picture, glyph.ink, down ? end : first - 1, down ? 1 : -1)
                  : 0;
      if (rows == 0)
        continue;
      std::int64_t& most = down ? below : above;
      most = std::max(most, rows);
      if (!isCut[i]) {
        isCut[i] = true;
        ++cut;
        firstCut = firstCut < 0 ? glyph.index : std::min(firstCut, glyph.index);
      }
    }
  }
  if (cut == 0)
    return {};
  const char* where = above == 0   ? msg::kNoteCutBelow
                      : below == 0 ? msg::kNoteCutAbove
                                   : msg::kNoteCutBoth;
  const std::int64_t top = first - above;
  const std::int64_t height = std::max(end + below, band.box.y + band.box.height) - top;
  const std::string hold =
      above == 0 ? Format(msg::kNoteHoldBelow, static_cast<long long>(end + below - band.box.y))
                 : Format(msg::kNoteHoldAbove, static_cast<long long>(top),
                          static_cast<long long>(height));
  return Format(msg::kNoteCut, static_cast<long long>(first), static_cast<long long>(end - 1),
                Count(cut, SetGlyphs(band.shadow)).c_str(), firstCut, where, hold.c_str());
}

// A band taller than the distance to the band below takes in the top of that band's glyphs:
// when another Grab took glyphs from the same picture whose ink starts inside this band's rows
// and columns, the band reaches into them. That is noted in place of the cut it makes, since
// more rows would only take in more; the other bands' cuts are noted here.
void ScriptChecker::NoteReach() {
  std::vector<std::size_t> taking;  // grabs that took glyphs: at most one per glyph
  for (std::size_t i = 0; i < grabs_.size(); ++i) {
    if (grabs_[i].band.endGlyph > grabs_[i].band.firstGlyph)
      taking.push_back(i);
  }
  for (Grab& grab : grabs_) {
    const PictureBox& box = grab.band.box;
    for (const std::size_t other : taking) {
      const Grab& below = grabs_[other];
      const std::int64_t y = below.band.box.y;
      if (below.picture != grab.picture || y <= box.y || y >= grab.endRow)
        continue;
      const auto& slots = sets_[below.band.shadow ? 1 : 0];
      for (std::int32_t i = below.band.firstGlyph; i < below.band.endGlyph && !grab.reaches; ++i) {
        const PictureBox& ink = slots[static_cast<std::size_t>(i)].ink;
        grab.reaches =
            ink.y < grab.endRow && ink.x < box.x + box.width && ink.x + ink.width > box.x;
      }
      if (grab.reaches) {
        Add(&grab.line, Format(msg::kNoteReach, static_cast<long long>(grab.firstRow),
                               static_cast<long long>(grab.endRow - 1), below.line.number,
                               static_cast<long long>(y), static_cast<long long>(y - box.y)));
        break;
      }
    }
    if (!grab.reaches && !grab.cutNote.empty())
      Add(&grab.line, grab.cutNote);
  }
}

// Widths judged against the whole set, so that a wide glyph among narrow neighbours is not
// taken for two: the thresholds are named at the top of this file.
void ScriptChecker::NoteGlyphWidths() {
  for (const bool shadow : {false, true}) {
    const auto& slots = sets_[shadow ? 1 : 0];
    if (slots.size() < 3)
      continue;
    std::vector<std::int64_t> widths;
    std::int64_t tallest = 0;
    for (const Slot& slot : slots) {
      widths.push_back(slot.ink.width);
      tallest = std::max(tallest, slot.ink.height);
    }
    const std::int64_t middle = Median(widths);
    std::partial_sort(widths.begin(), widths.begin() + 2, widths.end(), std::greater<>());
    for (std::size_t i = 0; i < slots.size(); ++i) {
      const Grab& grab = grabs_[slots[i].grab];
      if (!grab.Whole() || !grab.cutNote.empty())
        continue;
      const PictureBox& ink = slots[i].ink;
      const std::int64_t widestOther = ink.width == widths[0] ? widths[1] : widths[0];
      if (ink.width > kMergedOverMiddle * middle && ink.width >= middle + kMergedMargin &&
          (Exceeds(ink.width, tallest, kMergedOverTallest) ||
           Exceeds(ink.width, widestOther, kMergedOverWidest))) {
        Add(&grab.line, Format(msg::kNoteMerged, SetName(shadow), static_cast<int>(i),
                               static_cast<long long>(ink.width), static_cast<long long>(middle)));
      }
      if (i + 1 == slots.size() || slots[i + 1].grab != slots[i].grab)
        continue;
      const PictureBox& next = slots[i + 1].ink;
      if (ink.y == next.y && ink.height == next.height &&
          std::abs(ink.width - next.width) <= kSplitWidthsDiffer &&
          kSplitMarkShare * std::max(ink.width, next.width) <= middle &&
          kSplitMarkShare * ink.height <= tallest && next.x + next.width - ink.x <= middle) {
        Add(&grab.line,
            Format(msg::kNoteSplit, SetName(shadow), static_cast<int>(i), static_cast<int>(i + 1)));
      }
    }
  }
}

// One note for the picture just finished on faint ink that widens glyphs' boxes, naming the
// worst, and one on glyphs whose ink is all faint.
void ScriptChecker::NoteFaintInk() {
  const char* path = pictures_.empty() ? "" : pictures_.back().path.c_str();
  if (!faint_.empty()) {
    std::stable_sort(faint_.begin(), faint_.end(),
                     [](const FaintGlyph& a, const FaintGlyph& b) { return a.reach > b.reach; });
    std::string worst;
    for (std::size_t i = 0; i < std::min(faint_.size(), kWorstFaintGlyphs); ++i) {
      worst +=
          (i == 0 ? "" : ", ") + Format(msg::kNoteFaintGlyph, SetName(faint_[i].shadow),
                                        faint_[i].index, static_cast<long long>(faint_[i].reach));
    }
    Add(&pictureLine_,
        Format(msg::kNoteFaintInk, path, kFaintAlpha - 1,
               Count(static_cast<long long>(faint_.size()), msg::kGlyphs).c_str(), worst.c_str()));
  }
  if (!unseen_.empty()) {
    Add(&pictureLine_,
        Format(msg::kNoteUnseenGlyphs, path,
               Count(static_cast<long long>(unseen_.size()), msg::kGlyphs).c_str(), kFaintAlpha - 1,
               SetName(unseen_.front().shadow), unseen_.front().index));
  }
  faint_.clear();
  unseen_.clear();
}

// The font keeps where a shadow lies from its face in a signed byte each way, so a shadow drawn
// far from its face is drawn by the game at that distance, wrapped to -128..127; and one drawn
// at its face's place, as large, is drawn hidden behind it.
void ScriptChecker::NoteShadowPlaces() {
  const auto& faces = sets_[0];
  const auto& shadows = sets_[1];
  // As the font stores it: ink column from ink column, band row from band row.
  const auto offset = [&](std::size_t i) {
    return std::pair{
        AsStoredOffset(shadows[i].ink.x - faces[i].ink.x),
        AsStoredOffset(grabs_[shadows[i].grab].band.box.y - grabs_[faces[i].grab].band.box.y)};
  };
  const auto hidden = [&](std::size_t i) {
    const PictureBox& face = faces[i].ink;
    const PictureBox& shadow = shadows[i].ink;
    return offset(i) == std::pair{0, 0} && face.width == shadow.width &&
           face.height == shadow.height &&
           face.y - grabs_[faces[i].grab].band.box.y ==
               shadow.y - grabs_[shadows[i].grab].band.box.y;
  };
  // One note of each kind for each shadow Grab with such shadows, named by its first.
  for (const bool far : {true, false}) {
    std::int64_t count = 0;
    std::size_t first = 0;
    const auto flush = [&] {
      if (count == 0)
        return;
      const auto [dx, dy] = offset(first);
      const ScriptLine& line = grabs_[shadows[first].grab].line;
      const int faceLine = grabs_[faces[first].grab].line.number;
      Add(&line, far ? Format(msg::kNoteNotDropShadow, Count(count, msg::kShadowGlyphsLie).c_str(),
                              static_cast<int>(first), dx, dy, faceLine, kByteValues)
                     : Format(msg::kNoteShadowHidden, Count(count, msg::kShadowGlyphsLie).c_str(),
                              static_cast<int>(first), faceLine));
      count = 0;
    };
    for (std::size_t i = 0; i < std::min(faces.size(), shadows.size()); ++i) {
      if (count > 0 && shadows[i].grab != shadows[first].grab)
        flush();
      if (!grabs_[faces[i].grab].Whole() || !grabs_[shadows[i].grab].Whole())
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

// How a shadow lies against its face, as the game draws the two: where its ink starts from the
// face's, and how much wider and taller it is.
struct PairShape {
  std::int64_t dx = 0, dy = 0, wider = 0, taller = 0;
  auto operator<=>(const PairShape&) const = default;
};

// Shadows are the faces moved, or grown, all alike: a pair that differs from what a clear
// majority of the pairs shows is a face retouched without its shadow, or a shadow drawn in the
// wrong place. Where the pairs differ more than that, the artist meant them to.
void ScriptChecker::NoteShadowSteps(const BuildState& state) {
  const auto& faces = sets_[0];
  const auto& shadows = sets_[1];
  std::vector<std::size_t> pairs;
  std::vector<PairShape> shapes;
  for (std::size_t i = 0; i < std::min(faces.size(), shadows.size()); ++i) {
    const Grab& faceGrab = grabs_[faces[i].grab];
    const Grab& shadowGrab = grabs_[shadows[i].grab];
    if (!faceGrab.Whole() || !shadowGrab.Whole() || !faceGrab.cutNote.empty() ||
        !shadowGrab.cutNote.empty())
      continue;
    const PictureBox& face = faces[i].ink;
    const PictureBox& shadow = shadows[i].ink;
    pairs.push_back(i);
    shapes.push_back({shadow.x - face.x, shadow.y - face.y, shadow.width - face.width,
                      shadow.height - face.height});
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
    const char code = i < state.settings.charSet.size() ? state.settings.charSet[i] : '\0';
    Add(&grabs_[shadows[i].grab].line,
        Format(msg::kNoteShadowOutOfStep, DescribeCode(code).c_str(), static_cast<int>(i),
               static_cast<long long>(shape.dx), static_cast<long long>(shape.dy),
               static_cast<long long>(shape.wider), static_cast<long long>(shape.taller),
               static_cast<int>(alike), static_cast<int>(pairs.size()),
               static_cast<long long>(usual.dx), static_cast<long long>(usual.dy),
               static_cast<long long>(usual.wider), static_cast<long long>(usual.taller)));
  }
}

// Where the characters of a band that stand on the baseline with a flat foot end, from the band's
// top: the row where most of them end, for each kind, figures, capitals and small letters apart
// (renderers may set them a row apart); nothing for a kind the band holds too few of.
std::array<std::optional<std::int64_t>, 3> ScriptChecker::BaselineRows(const Grab& grab,
                                                                       const BuildState& state) {
  static constexpr std::string_view kFlatFooted[] = {"1247", "ABDEFHIKLMNPRTXZ", "hiklmnrxz"};
  const auto& charSet = state.settings.charSet;
  const auto& slots = sets_[grab.band.shadow ? 1 : 0];
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

// Bands drawn one below the other keep an even step, and a Grab line names each band's top. A
// Grab whose top is a row or a few off the step the other bands of its picture keep takes its
// glyphs with their tops off by as much, so they sit out of line in every text; unless its
// glyphs were drawn off the step by as much too, which their baseline shows.
void ScriptChecker::NoteBandBaselines(const BuildState& state) {
  for (std::size_t g = 0; g < grabs_.size(); ++g) {
    const Grab& grab = grabs_[g];
    if (!grab.Whole() || !grab.cutNote.empty() || grab.band.endGlyph == grab.band.firstGlyph)
      continue;
    // The tops of the other bands of the set in the same picture, once each.
    std::vector<std::int64_t> tops;
    for (const Grab& other : grabs_) {
      if (&other != &grab && other.picture == grab.picture &&
          other.band.shadow == grab.band.shadow && other.band.box.y != grab.band.box.y &&
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
    const auto rows = BaselineRows(grab, state);
    bool drawnThere = false;
    for (const Grab& other : grabs_) {
      if (&other == &grab || other.picture != grab.picture ||
          other.band.shadow != grab.band.shadow || !other.Whole())
        continue;
      const auto otherRows = BaselineRows(other, state);
      for (std::size_t kind = 0; kind < rows.size(); ++kind)
        drawnThere = drawnThere || (rows[kind] && rows[kind] == otherRows[kind]);
    }
    if (drawnThere)
      continue;
    Add(&grab.line,
        Format(msg::kNoteBandOffStep, Count(std::abs(off), msg::kRows).c_str(),
               off > 0 ? msg::kBelow : msg::kAbove, static_cast<long long>(step),
               off > 0 ? msg::kHigher : msg::kLower, static_cast<long long>(grab.band.box.x),
               static_cast<long long>(grab.band.box.y - off),
               grab.band.endGlyph - grab.band.firstGlyph));
  }
}

// When faces and shadows are grabbed by as many Grab lines, each pair should take as many glyphs.
void ScriptChecker::NoteGrabCounts() {
  std::array<std::vector<const Grab*>, 2> bySet;
  for (const Grab& grab : grabs_) bySet[grab.band.shadow ? 1 : 0].push_back(&grab);
  if (bySet[0].size() != bySet[1].size())
    return;
  for (std::size_t i = 0; i < bySet[0].size(); ++i) {
    if (!bySet[0][i]->Whole() || !bySet[1][i]->Whole())
      continue;
    const ScannedBand& face = bySet[0][i]->band;
    const ScannedBand& shadow = bySet[1][i]->band;
    if (face.endGlyph - face.firstGlyph != shadow.endGlyph - shadow.firstGlyph) {
      Add(&bySet[1][i]->line,
          Format(msg::kNoteGrabCounts,
                 Count(shadow.endGlyph - shadow.firstGlyph, msg::kShadowGlyphs).c_str(),
                 bySet[0][i]->line.number,
                 Count(face.endGlyph - face.firstGlyph, msg::kFaceGlyphs).c_str()));
      return;
    }
  }
}

// A CharSet shorter than the face set leaves the last faces without a code; a longer one
// names characters that have no glyph, which a game then cannot draw.
void ScriptChecker::NoteCharSetLength(const BuildState& state) {
  const int faces = state.faceSet.count;
  const auto& charSet = state.settings.charSet;
  const auto codes =
      static_cast<int>(std::find(charSet.begin(), charSet.end(), '\0') - charSet.begin());
  const ScriptLine* line = charSetLine_.number > 0 ? &charSetLine_ : nullptr;
  if (codes < faces) {
    Add(line, Format(msg::kNoteShortCharSet, Count(codes, msg::kCodes).c_str(),
                     Count(faces, msg::kFaceGlyphs).c_str(),
                     (codes == faces - 1 ? Format(msg::kNoteEntryGets, codes)
                                         : Format(msg::kNoteEntriesGet, codes, faces - 1))
                         .c_str()));
  }
  // UTF-8 characters make the CharSet longer than it looks, and a band of ink from edge to
  // edge or one that reaches into another takes fewer glyphs than were drawn: each has a note
  // of its own.
  if (faces > 0 && codes > faces && !charSetHasUtf8_ && AllWhole()) {
    const char first = charSet[static_cast<std::size_t>(faces)];
    const int after = codes - faces - 1;
    Add(line, Format(msg::kNoteLongCharSet, Count(codes, msg::kCodes).c_str(),
                     Count(faces, msg::kFaceGlyphs).c_str(),
                     (after == 0 ? Format(msg::kNoteCharHas, first)
                                 : Format(msg::kNoteCharsHave, first,
                                          Count(after, msg::kCharacters).c_str()))
                         .c_str()));
  }
}

bool ScriptChecker::AllWhole() const {
  return std::all_of(grabs_.begin(), grabs_.end(), [](const Grab& grab) { return grab.Whole(); });
}

void ScriptChecker::Finish(const BuildState& state) {
  NoteFaintInk();
  NoteReach();
  NoteGlyphWidths();
  NoteShadowPlaces();
  NoteShadowSteps(state);
  NoteBandBaselines(state);
  NoteGrabCounts();
  NoteCharSetLength(state);
  const int faces = state.faceSet.count;
  const int shadows = state.shadowSet.count;
  // A face Grab that found nothing has said why in an error of its own.
  if (faces == 0 && !faceGrabRan_)
    Add(nullptr, msg::kNoteNothingGrabbed);
  if (faces > 0 && shadows > 0 && shadows != faces && AllWhole()) {
    Add(nullptr, Format(msg::kNoteSetSizes, Count(faces, msg::kGlyphs).c_str(),
                        Count(shadows, msg::kGlyphs).c_str()));
  }
  // Notes on lines in line order, then those on the whole run.
  std::stable_sort(pending_.begin(), pending_.end(), [](const Note& a, const Note& b) {
    return (a.line == 0 ? INT32_MAX : a.line) < (b.line == 0 ? INT32_MAX : b.line);
  });
  for (Note& note : pending_) notes_.push_back(std::move(note.text));
  if (unshown_ > 0) {
    notes_.push_back(
        Format(msg::kNote, Count(static_cast<long long>(unshown_), msg::kNotesNotShown).c_str()));
  }
  pending_.clear();
}

bool CheckScript(Console& console, const std::string& path, ScriptChecker& checker) {
  std::istringstream noKeys;  // the waits after errors find no key and go on at once
  Console quiet{console.out, console.err, noKeys};
  BuildState state;
  state.observer = &checker;
  const bool ran = RunScript(state, quiet, path.c_str());
  state.observer = nullptr;
  console.sawError = console.sawError || quiet.sawError;
  if (!ran)
    return false;
  checker.Finish(state);
  Verbose(quiet, state.verbose, msg::kWidest, state.widest);
  Verbose(quiet, state.verbose, msg::kHighest, state.highest);
  return true;
}

}  // namespace typekiln
