#include "script/script_checker.h"

#include <algorithm>
#include <cstdlib>
#include <sstream>
#include <utility>

#include "font/font_format.h"
#include "glyph/grabber.h"
#include "io/tga_picture.h"
#include "main/messages.h"
#include "script/command_table.h"
#include "script/script_reader.h"

namespace typekiln {

namespace {

constexpr std::uint8_t kRightToLeftBit = 0x10;
constexpr std::uint8_t kFaintAlpha = 16;  // alpha below this stores as coverage 0
constexpr std::size_t kWorstFaintGlyphs = 3;

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
const char* SetName(bool shadow) { return shadow ? "shadow" : "face"; }

// The middle value, the upper of the two middle ones for an even count; `values` is not empty.
std::int64_t Median(std::vector<std::int64_t> values) {
  const auto middle = values.begin() + static_cast<long>(values.size() / 2);
  std::nth_element(values.begin(), middle, values.end());
  return *middle;
}

// The offset a font keeps in a signed byte: what the game adds.
int AsStoredOffset(std::int64_t offset) { return static_cast<std::int8_t>(offset & 0xFF); }

// How many rows from `start` on, stepping by `step`, hold ink in the columns of `ink`; at most
// kCutSearchRows, and none when the rows cannot be read.
std::int64_t InkRowsBeyond(Image& image, const PictureBox& ink, std::int64_t start,
                           std::int64_t step) {
  const std::int64_t reach = ScriptChecker::kCutSearchRows;
  const std::int64_t first = step > 0 ? start : std::max<std::int64_t>(0, start - reach + 1);
  const std::int64_t end =
      step > 0 ? std::min<std::int64_t>(image.height, start + reach) : start + 1;
  PixelRows rows;
  if (first >= end || ReadRows(image, first, end, rows) != nullptr)
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
  if (line == nullptr)
    return pending_.push_back({0, Format(msg::kNote, text.c_str())});
  pending_.push_back(
      {line->number, Format(msg::kNoteAt, line->number, line->text.c_str(), text.c_str())});
}

void ScriptChecker::UnknownCommand(const ScriptLine& line, std::string_view word) {
  const std::string text(word);
  const char* closest = ClosestCommand(word);
  Add(&line, closest != nullptr ? Format(msg::kNoteUnknownCommand, text.c_str(), closest)
                                : Format(msg::kNoteUnknownWord, text.c_str()));
}

void ScriptChecker::CommandRan(const ScriptLine& line, std::string_view keyword,
                               const BuildState& state) {
  if (keyword == "Grab" && state.section == Section::Font)
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
  for (std::size_t i = 0; i < length; ++i) {
    const auto code = static_cast<unsigned char>(codes[i]);
    if (code >= 0x80 && high++ == 0)
      firstHigh = static_cast<int>(i);
    const auto earlier = std::find(codes.begin(), codes.begin() + static_cast<long>(i), codes[i]);
    if (earlier != codes.begin() + static_cast<long>(i) && repeats++ == 0) {
      firstRepeat = static_cast<int>(i);
      firstEarlier = static_cast<int>(earlier - codes.begin());
    }
  }
  if (high > 0) {
    Add(&line,
        Format(msg::kNoteHighBytes, Count(high, msg::kBytes).c_str(),
               static_cast<unsigned char>(codes[static_cast<std::size_t>(firstHigh)]), firstHigh));
  }
  // A byte from 0x80 up repeats whenever two characters share a lead byte: that is one mistake,
  // noted above, not two.
  if (repeats > 0 && high == 0) {
    Add(&line, Format(msg::kNoteSharedCode, Count(repeats, msg::kEntriesRepeat).c_str(),
                      codes[static_cast<std::size_t>(firstRepeat)], firstEarlier, firstRepeat));
  }
}

void ScriptChecker::PictureLoaded(const ScriptLine& line, Image& image) {
  NoteFaintInk();
  pictureLine_ = line;
  if (!HasPixels(image))
    return;
  pictures_.push_back({image.path, image.width, image.height, {}, {}});
  if ((image.descriptor & kRightToLeftBit) != 0)
    Add(&line, Format(msg::kNoteRightToLeft, image.path.c_str()));
  bool opaque = true;
  const auto allOpaque = [&](std::int64_t, const std::uint8_t* row) {
    for (std::int64_t x = 0; x < image.width && opaque; ++x)
      opaque = row[x * kBytesPerPixel + kAlphaByte] == 255;
    return opaque;
  };
  if (!VisitRows(image, allOpaque) || !opaque)
    return;
  Add(&line, Format(msg::kNoteOpaque, image.path.c_str()));
}

void ScriptChecker::GlyphGrabbed(const ScriptLine& line, const GrabbedGlyph& glyph,
                                 const Band& band) {
  bandGlyphs_.push_back(glyph);
  if (!pictures_.empty())
    pictures_.back().glyphs.push_back(glyph);
  std::int64_t faint = 0;
  for (std::int64_t row = 0; row < glyph.ink.height; ++row) {
    for (std::int64_t column = glyph.ink.x; column < glyph.ink.x + glyph.ink.width; ++column) {
      const std::uint8_t* pixel = band.Pixel(glyph.ink.y - band.first() + row, column);
      // Alpha 0 is left alone: a coloured pixel of alpha 0 is how an artist joins the strokes
      // of a '"' into one glyph on purpose.
      faint += pixel[kAlphaByte] > 0 && pixel[kAlphaByte] < kFaintAlpha ? 1 : 0;
    }
  }
  if (faint > 0)
    faint_.push_back({glyph.shadow, glyph.index, faint});
  if (glyph.ink.width > kMaxByteField || glyph.ink.height > kMaxByteField) {
    Add(&line,
        Format(msg::kNoteTooLarge, SetName(glyph.shadow), glyph.index,
               static_cast<long long>(glyph.ink.width), static_cast<long long>(glyph.ink.height)));
  }
}

void ScriptChecker::BandScanned(const ScriptLine& line, const ScannedBand& band, Image& image) {
  if (!pictures_.empty())
    pictures_.back().bands.push_back(band.box);
  grabs_.push_back({line, band});
  auto& slots = sets_[band.shadow ? 1 : 0];
  for (const GrabbedGlyph& glyph : bandGlyphs_) {
    slots.resize(std::max(slots.size(), static_cast<std::size_t>(glyph.index) + 1));
    slots[static_cast<std::size_t>(glyph.index)] = {grabs_.size() - 1, glyph.ink};
  }
  const std::size_t before = pending_.size();
  NoteCutGlyphs(line, band, image);
  if (pending_.size() == before) {
    NoteMergedGlyphs(line);
    NoteSplitGlyphs(line);
  }
  bandGlyphs_.clear();
}

// A glyph whose ink reaches the band's bottom row and goes on in the row below, in its own
// columns, is cut there; the same at the top.
void ScriptChecker::NoteCutGlyphs(const ScriptLine& line, const ScannedBand& band, Image& image) {
  const std::int64_t first = std::max<std::int64_t>(band.box.y, 0);
  const std::int64_t end = std::min<std::int64_t>(band.box.y + band.box.height, image.height);
  std::int64_t below = 0;
  std::int64_t above = 0;
  std::int64_t cut = 0;
  std::int32_t firstCut = -1;
  std::vector<bool> isCut(bandGlyphs_.size(), false);
  // Below for every glyph, then above: each direction reads its rows once.
  for (const bool down : {true, false}) {
    for (std::size_t i = 0; i < bandGlyphs_.size(); ++i) {
      const GrabbedGlyph& glyph = bandGlyphs_[i];
      const bool touches = down ? glyph.ink.y + glyph.ink.height == end && end < image.height
                                : glyph.ink.y == first && first > 0;
      const std::int64_t rows =
          touches ? InkRowsBeyond(image, glyph.ink, down ? end : first - 1, down ? 1 : -1) : 0;
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
    return;
  const char* where = above == 0   ? msg::kNoteCutBelow
                      : below == 0 ? msg::kNoteCutAbove
                                   : msg::kNoteCutBoth;
  const std::int64_t top = first - above;
  const std::int64_t height = std::max(end + below, band.box.y + band.box.height) - top;
  const std::string hold =
      above == 0 ? Format(msg::kNoteHoldBelow, static_cast<long long>(end + below - band.box.y))
                 : Format(msg::kNoteHoldAbove, static_cast<long long>(top),
                          static_cast<long long>(height));
  Add(&line, Format(msg::kNoteCut, static_cast<long long>(first), static_cast<long long>(end - 1),
                    Count(cut, SetGlyphs(band.shadow)).c_str(), firstCut, where, hold.c_str()));
}

// In a Grab of at least three glyphs, one over twice as wide as the middle one (and at least
// four columns wider) probably holds two letters that no empty column separates.
void ScriptChecker::NoteMergedGlyphs(const ScriptLine& line) {
  if (bandGlyphs_.size() < 3)
    return;
  std::vector<std::int64_t> widths;
  for (const GrabbedGlyph& glyph : bandGlyphs_) widths.push_back(glyph.ink.width);
  const std::int64_t median = Median(widths);
  for (const GrabbedGlyph& glyph : bandGlyphs_) {
    if (glyph.ink.width > 2 * median && glyph.ink.width >= median + 4) {
      Add(&line, Format(msg::kNoteMerged, SetName(glyph.shadow), glyph.index,
                        static_cast<long long>(glyph.ink.width), static_cast<long long>(median)));
    }
  }
}

// Two glyphs alike in size and place, closer together than the band's glyphs usually are, are
// probably one character whose strokes stand apart, as in '"': grabbed as two glyphs, it takes
// two codes, and every later glyph the code of the one before.
void ScriptChecker::NoteSplitGlyphs(const ScriptLine& line) {
  if (bandGlyphs_.size() < 3)
    return;
  const auto gap = [&](std::size_t i) {
    return bandGlyphs_[i + 1].ink.x - (bandGlyphs_[i].ink.x + bandGlyphs_[i].ink.width);
  };
  std::vector<std::int64_t> gaps;
  for (std::size_t i = 0; i + 1 < bandGlyphs_.size(); ++i) gaps.push_back(gap(i));
  const std::int64_t usual = Median(gaps);
  for (std::size_t i = 0; i + 1 < bandGlyphs_.size(); ++i) {
    const PictureBox& left = bandGlyphs_[i].ink;
    const PictureBox& right = bandGlyphs_[i + 1].ink;
    if (gap(i) < usual && left.width == right.width && left.height == right.height &&
        left.y == right.y) {
      Add(&line, Format(msg::kNoteSplit, SetName(bandGlyphs_[i].shadow), bandGlyphs_[i].index,
                        bandGlyphs_[i + 1].index, static_cast<long long>(gap(i)),
                        static_cast<long long>(usual)));
    }
  }
}

// One note for the picture just finished: how many faint pixels, and the glyphs with most.
void ScriptChecker::NoteFaintInk() {
  if (faint_.empty())
    return;
  std::int64_t pixels = 0;
  for (const FaintGlyph& glyph : faint_) pixels += glyph.pixels;
  std::stable_sort(faint_.begin(), faint_.end(),
                   [](const FaintGlyph& a, const FaintGlyph& b) { return a.pixels > b.pixels; });
  std::string worst;
  for (std::size_t i = 0; i < std::min(faint_.size(), kWorstFaintGlyphs); ++i) {
    worst +=
        (i == 0 ? "" : ", ") + Format(msg::kNoteFaintGlyph, SetName(faint_[i].shadow),
                                      faint_[i].index, static_cast<long long>(faint_[i].pixels));
  }
  Add(&pictureLine_,
      Format(msg::kNoteFaintInk, pictures_.empty() ? "" : pictures_.back().path.c_str(),
             Count(pixels, msg::kPixels).c_str(),
             Count(static_cast<long long>(faint_.size()), msg::kGlyphs).c_str(), worst.c_str()));
  faint_.clear();
}

// The font keeps where a shadow lies from its face in a signed byte each way, so a shadow drawn
// far from its face is drawn by the game at that distance, wrapped to -128..127.
void ScriptChecker::NoteShadowPlaces() {
  const auto& faces = sets_[0];
  const auto& shadows = sets_[1];
  // As the font stores it: ink column from ink column, band row from band row.
  const auto offset = [&](std::size_t i) {
    return std::pair{
        AsStoredOffset(shadows[i].ink.x - faces[i].ink.x),
        AsStoredOffset(grabs_[shadows[i].grab].band.box.y - grabs_[faces[i].grab].band.box.y)};
  };
  // One note for each shadow Grab with shadows off their faces, named by its first.
  std::int64_t off = 0;
  std::size_t first = 0;
  const auto flush = [&] {
    if (off == 0)
      return;
    const auto [dx, dy] = offset(first);
    Add(&grabs_[shadows[first].grab].line,
        Format(msg::kNoteNotDropShadow, Count(off, msg::kShadowGlyphsLie).c_str(),
               static_cast<int>(first), dx, dy, grabs_[faces[first].grab].line.number));
    off = 0;
  };
  for (std::size_t i = 0; i < std::min(faces.size(), shadows.size()); ++i) {
    if (off > 0 && shadows[i].grab != shadows[first].grab)
      flush();
    const auto [dx, dy] = offset(i);
    if ((std::abs(dx) > kDropShadowReach || std::abs(dy) > kDropShadowReach) && off++ == 0)
      first = i;
  }
  flush();
}

// When faces and shadows are grabbed by as many Grab lines, each pair should take as many glyphs.
void ScriptChecker::NoteGrabCounts() {
  std::array<std::vector<const Grab*>, 2> bySet;
  for (const Grab& grab : grabs_) bySet[grab.band.shadow ? 1 : 0].push_back(&grab);
  if (bySet[0].size() != bySet[1].size())
    return;
  for (std::size_t i = 0; i < bySet[0].size(); ++i) {
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

void ScriptChecker::Finish(const BuildState& state) {
  NoteFaintInk();
  NoteShadowPlaces();
  NoteGrabCounts();
  const int faces = state.fontSet.count;
  const int shadows = state.shadowSet.count;
  // A face Grab that found nothing has said why in an error of its own.
  if (faces == 0 && !faceGrabRan_)
    Add(nullptr, msg::kNoteNothingGrabbed);
  if (faces > 0 && shadows > 0 && shadows != faces) {
    Add(nullptr, Format(msg::kNoteSetSizes, Count(faces, msg::kGlyphs).c_str(),
                        Count(shadows, msg::kGlyphs).c_str()));
  }
  const auto& charSet = state.settings.charSet;
  const auto codes =
      static_cast<int>(std::find(charSet.begin(), charSet.end(), '\0') - charSet.begin());
  if (codes < faces) {
    Add(charSetLine_.number > 0 ? &charSetLine_ : nullptr,
        Format(msg::kNoteShortCharSet, Count(codes, msg::kCodes).c_str(),
               Count(faces, msg::kFaceGlyphs).c_str(),
               (codes == faces - 1 ? Format(msg::kNoteEntryGets, codes)
                                   : Format(msg::kNoteEntriesGet, codes, faces - 1))
                   .c_str()));
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
  Verbose(state, quiet, msg::kWidest, state.widest);
  Verbose(state, quiet, msg::kHighest, state.highest);
  return true;
}

}  // namespace typekiln
