#include "inspect/font_file/font_reader.h"

#include <algorithm>
#include <array>
#include <utility>

#include "font/font_format.h"
#include "inspect/inspect_messages.h"
#include "io/byte_order.h"
#include "report/console.h"

namespace typekiln {

namespace {

// The numbers of the messages that are 64 bits wide.
unsigned long long Wide(std::uint64_t value) { return value; }

FontBitmap GetBitmap(const std::uint8_t* in) {
  return FontBitmap{GetBE32(in + kBitmapOffsetAt), in[kBitmapWidthAt], in[kBitmapHeightAt],
                    in[kBitmapTopAt], in[kBitmapStrideAt]};
}

// A tag as text, bytes outside printable ASCII as \xNN.
std::string TagText(const std::uint8_t* tag) {
  std::string text;
  for (std::size_t i = 0; i < kTagSize; ++i) {
    if (tag[i] >= 0x20 && tag[i] < 0x7F && tag[i] != '"' && tag[i] != '\\')
      text += static_cast<char>(tag[i]);
    else
      text += Format(msg::kByteEscape, tag[i]);
  }
  return text;
}

// A problem a game can live with: its bytes are still read where they should be.
void NoteProblem(FontFile& font, std::string text) { font.problems.push_back(std::move(text)); }

// A problem that would make a game read outside the file or draw what is not a glyph.
void NoteBreakingProblem(FontFile& font, std::string text) {
  font.drawable = false;
  font.problems.push_back(std::move(text));
}

void CheckHeader(FontFile& font) {
  const std::uint8_t* in = font.bytes.data();
  FontHeader& header = font.header;
  std::copy(in, in + kTagSize * kTagCount, header.tags);
  header.constant = GetBE32(in + kVersionAt);
  header.count = in[kGlyphCountAt];
  header.orientation = in[kOrientationAt];
  header.gap = in[kGapAt];
  header.space = in[kSpaceAt];
  header.dropX = in[kDropXAt];
  header.dropY = in[kDropYAt];
  std::copy_n(in + kHeaderReservedAt, kHeaderReservedSize, header.reserved);

  for (std::size_t tag = 0; tag < kTagCount; ++tag) {
    const auto* expected = reinterpret_cast<const std::uint8_t*>(kFontTags) + kTagSize * tag;
    if (!std::equal(expected, expected + kTagSize, in + kTagSize * tag)) {
      NoteBreakingProblem(font,
                          Format(msg::kBadTag, static_cast<int>(tag) + 1,
                                 TagText(in + kTagSize * tag).c_str(), TagText(expected).c_str()));
    }
  }
  if (header.constant != kFormatVersion) {
    NoteBreakingProblem(font, Format(msg::kBadConstant, static_cast<int>(kVersionAt),
                                     header.constant, kFormatVersion));
  }
  if (header.count > kMaxGlyphs)
    NoteBreakingProblem(font, Format(msg::kTooManyEntries, header.count, kMaxGlyphs));
  if (header.count == 0)  // a game can open it, but draws nothing with it
    NoteProblem(font, msg::kNoGlyphs);
  if (header.orientation > static_cast<int>(Orientation::Vertical)) {
    NoteBreakingProblem(font, Format(msg::kBadOrientation, header.orientation,
                                     static_cast<int>(Orientation::Horizontal),
                                     static_cast<int>(Orientation::Vertical)));
  }
  for (std::size_t i = 0; i < kHeaderReservedSize; ++i) {
    if (header.reserved[i] != 0) {
      NoteProblem(font, Format(msg::kHeaderNotZero, static_cast<int>(kHeaderReservedAt + i),
                               header.reserved[i]));
    }
  }
}

// A code as a note names it: its number, and the character when it shows as one.
std::string DescribeCode(std::uint8_t code) {
  return code > 0x20 && code < 0x7F ? Format(msg::kCodeAndCharacter, code, code)
                                    : Format(msg::kCodeAlone, code);
}

// Entries that no text reaches: code 0 ends a text, and a game takes the first entry of a code.
void NoteUnreachable(FontFile& font) {
  std::array<int, 256> firstWith;
  firstWith.fill(-1);
  for (std::size_t i = 0; i < font.entries.size(); ++i) {
    const std::uint8_t code = font.entries[i].code;
    if (code == 0)
      font.unreachable.push_back(Format(msg::kEntryCodeZero, static_cast<int>(i)));
    else if (firstWith[code] >= 0)
      font.unreachable.push_back(Format(msg::kEntryCodeTaken, static_cast<int>(i),
                                        DescribeCode(code).c_str(), firstWith[code]));
    else
      firstWith[code] = static_cast<int>(i);
  }
}

void ReadTable(FontFile& font) {
  const std::uint64_t size = font.bytes.size();
  const std::uint64_t tableEnd = kHeaderSize + kTableEntrySize * font.header.count;
  std::uint64_t whole = font.header.count;
  if (tableEnd > size) {
    whole = (size - kHeaderSize) / kTableEntrySize;
    NoteBreakingProblem(
        font, Format(msg::kTablePastEnd, Count(font.header.count, msg::kEntriesEnd).c_str(),
                     Wide(tableEnd), Wide(size),
                     Count(static_cast<long long>(whole), msg::kEntries).c_str()));
  }
  for (std::uint64_t i = 0; i < whole; ++i) {
    const std::uint8_t* in = font.bytes.data() + kHeaderSize + kTableEntrySize * i;
    FontEntry entry;
    entry.face = GetBitmap(in + kFaceFieldsAt);
    entry.shadow = GetBitmap(in + kShadowFieldsAt);
    entry.position[0] = static_cast<std::int8_t>(in[kShadowFirstAt]);
    entry.position[1] = static_cast<std::int8_t>(in[kShadowSecondAt]);
    entry.code = in[kCodeAt];
    entry.reserved = in[kEntryReservedAt];
    if (entry.reserved != 0) {
      NoteProblem(font, Format(msg::kEntryNotZero, static_cast<int>(i),
                               static_cast<int>(kEntryReservedAt), entry.reserved));
    }
    font.entries.push_back(entry);
  }
  NoteUnreachable(font);
}

// A block the table names, with who names it.
struct NamedBlock {
  std::uint64_t start;
  std::uint64_t end;
  int entry;
  const char* which;
};

// Checks one bitmap's own fields and bytes. True when its block lies inside the file after the
// table, so that its place among the other blocks can be checked too.
bool CheckBitmap(FontFile& font, int entry, const char* which, const FontBitmap& bitmap,
                 std::uint64_t tableEnd) {
  const std::uint64_t size = font.bytes.size();
  constexpr auto kAlign = static_cast<int>(kBlockAlignment);
  if (bitmap.offset % kAlign != 0)
    NoteProblem(font, Format(msg::kOffsetOffGrid, entry, which, bitmap.offset, kAlign));
  const int expectedStride = (bitmap.width + kAlign - 1) / kAlign * kAlign;
  // Rows shorter than the width would make a loader read each row's samples from the next.
  const bool rowsHoldWidth = bitmap.RowBytes() >= bitmap.width;
  if (bitmap.RowBytes() != static_cast<std::uint32_t>(expectedStride)) {
    std::string problem =
        Format(msg::kWrongStride, entry, which, bitmap.stride, expectedStride, bitmap.width);
    if (rowsHoldWidth)
      NoteProblem(font, std::move(problem));
    else
      NoteBreakingProblem(font, std::move(problem));
  }
  const std::uint64_t end = std::uint64_t{bitmap.offset} + bitmap.BlockSize();
  if (bitmap.offset < tableEnd) {
    NoteBreakingProblem(font, Format(msg::kBlockInTable, entry, which, bitmap.offset,
                                     Wide(std::min<std::uint64_t>(tableEnd, size))));
    return false;
  }
  if (end > size) {
    NoteBreakingProblem(font, Format(msg::kBlockPastEnd, entry, which, bitmap.offset,
                                     Wide(bitmap.BlockSize()), Wide(end), Wide(size)));
    return false;
  }
  if (!rowsHoldWidth)
    return true;  // its samples are not where a loader would look for them

  std::uint64_t high = 0;
  std::uint64_t padding = 0;
  int highFirst[3] = {};
  int paddingFirst[3] = {};
  for (int y = 0; y < bitmap.height; ++y) {
    const std::uint8_t* row =
        font.bytes.data() + bitmap.offset + std::uint64_t{bitmap.RowBytes()} * y;
    for (int x = 0; x < static_cast<int>(bitmap.RowBytes()); ++x) {
      const bool inPadding = x >= bitmap.width;
      if (row[x] == 0 || (!inPadding && row[x] <= kMaxSample))
        continue;
      std::uint64_t& count = inPadding ? padding : high;
      int* first = inPadding ? paddingFirst : highFirst;
      if (count++ == 0) {
        first[0] = row[x];
        first[1] = x;
        first[2] = y;
      }
    }
  }
  if (high > 0) {
    NoteBreakingProblem(font, Format(msg::kSampleTooHigh, entry, which, kMaxSample, highFirst[0],
                                     highFirst[1], highFirst[2], Wide(high)));
  }
  if (padding > 0) {
    NoteProblem(font, Format(msg::kPaddingNotZero, entry, which, paddingFirst[0], paddingFirst[1],
                             paddingFirst[2], Wide(padding)));
  }
  return true;
}

// Walks the named blocks in file order: the bytes between them must be zero and no block may
// start before the one before it ends.
void CheckBlockOrder(FontFile& font, std::vector<NamedBlock> blocks, std::uint64_t tableEnd) {
  std::stable_sort(blocks.begin(), blocks.end(),
                   [](const NamedBlock& a, const NamedBlock& b) { return a.start < b.start; });
  std::uint64_t cursor = tableEnd;
  const NamedBlock* last = nullptr;
  for (const NamedBlock& block : blocks) {
    if (last != nullptr && block.start < last->end) {
      NoteProblem(font, Format(msg::kBlocksOverlap, block.entry, block.which,
                               static_cast<std::uint32_t>(block.start), last->entry, last->which,
                               Wide(last->end)));
    } else {
      const auto fill = font.bytes.subspan(cursor, block.start - cursor);
      const auto nonZero = static_cast<unsigned long long>(
          std::count_if(fill.begin(), fill.end(), [](std::uint8_t b) { return b != 0; }));
      if (nonZero > 0) {
        NoteProblem(font, Format(msg::kFillNotZero, block.entry, block.which, nonZero,
                                 Count(static_cast<long long>(fill.size()), msg::kBytes).c_str(),
                                 Wide(cursor)));
      }
    }
    if (last == nullptr || block.end > last->end)
      last = &block;
    cursor = std::max(cursor, block.end);
  }
  font.unnamedBytes = font.bytes.size() - cursor;
}

}  // namespace

FontFile ReadFont(std::span<const std::uint8_t> bytes) {
  FontFile font;
  font.bytes = bytes;
  if (bytes.size() < kHeaderSize) {
    NoteBreakingProblem(
        font,
        Format(msg::kFontTooShort, Count(static_cast<long long>(bytes.size()), msg::kBytes).c_str(),
               static_cast<int>(kHeaderSize)));
    return font;
  }
  font.hasHeader = true;
  CheckHeader(font);
  ReadTable(font);

  const std::uint64_t tableEnd =
      std::min<std::uint64_t>(kHeaderSize + kTableEntrySize * font.header.count, bytes.size());
  std::vector<NamedBlock> blocks;
  for (std::size_t i = 0; i < font.entries.size(); ++i) {
    const int entry = static_cast<int>(i);
    for (const auto& [which, bitmap] : {std::pair{msg::kFace, font.entries[i].face},
                                        std::pair{msg::kShadow, font.entries[i].shadow}}) {
      if (!bitmap.Present())
        continue;
      if (CheckBitmap(font, entry, which, bitmap, tableEnd))
        blocks.push_back({bitmap.offset, bitmap.offset + bitmap.BlockSize(), entry, which});
    }
  }
  CheckBlockOrder(font, std::move(blocks), tableEnd);
  return font;
}

bool StartsAsFont(std::span<const std::uint8_t> bytes) {
  const std::size_t compared = std::min(bytes.size(), kTagSize * kTagCount);
  return std::equal(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(compared),
                    kFontTags);
}

int StoredSample(const FontFile& font, const FontBitmap& bitmap, int x, int y) {
  if (x < 0 || y < 0 || x >= bitmap.width || y >= bitmap.height)
    return -1;
  const std::uint64_t at = std::uint64_t{bitmap.offset} + std::uint64_t{bitmap.RowBytes()} * y +
                           static_cast<std::uint64_t>(x);
  return at < font.bytes.size() ? font.bytes[at] : -1;
}

int DrawnWidth(const FontFile& font, const FontBitmap& bitmap) {
  return font.Vertical() ? bitmap.height : bitmap.width;
}

int DrawnHeight(const FontFile& font, const FontBitmap& bitmap) {
  return font.Vertical() ? bitmap.width : bitmap.height;
}

int DrawnSample(const FontFile& font, const FontBitmap& bitmap, int x, int y) {
  // A vertical font stores drawn column x as row width - 1 - x, read from the top.
  if (font.Vertical())
    return x < 0 || x >= bitmap.height ? -1 : StoredSample(font, bitmap, y, bitmap.height - 1 - x);
  return StoredSample(font, bitmap, x, y);
}

int ShadowDx(const FontFile& font, const FontEntry& entry) {
  return font.Vertical() ? -entry.position[1] : entry.position[0];
}

int ShadowDy(const FontFile& font, const FontEntry& entry) {
  return font.Vertical() ? entry.position[0] : entry.position[1];
}

}  // namespace typekiln
