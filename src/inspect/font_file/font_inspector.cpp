#include "inspect/font_file/font_inspector.h"

#include <algorithm>
#include <tuple>
#include <vector>

#include "inspect/inspect_messages.h"
#include "report/console.h"

namespace typekiln {

namespace {

// One character per sample, from 0 to kMaxSample.
constexpr char kLevels[] = ".123456789ABCDEF";
static_assert(sizeof kLevels - 1 == kMaxSample + 1);

char SampleCharacter(int sample) {
  return sample < 0 || sample > kMaxSample ? '?' : kLevels[sample];
}

void PrintBitmap(std::ostream& out, const FontFile& font, int index, const char* which,
                 const FontBitmap& bitmap) {
  const std::string name = CharacterName(font.entries[static_cast<std::size_t>(index)].code);
  if (!bitmap.Present()) {
    Say(out, msg::kGlyphAbsent, index, name.c_str(), which);
    return;
  }
  const int width = DrawnWidth(font, bitmap);
  const int height = DrawnHeight(font, bitmap);
  Say(out, msg::kGlyphTitle, index, name.c_str(), which, width, height);
  for (int y = 0; y < height; ++y) {
    std::string row;
    for (int x = 0; x < width; ++x) row += SampleCharacter(DrawnSample(font, bitmap, x, y));
    Say(out, msg::kLine, row.c_str());
  }
}

// Places where the two upright bitmaps differ, over the larger of their sizes: a sample that
// only one of them has counts.
unsigned long long DifferentSamples(const FontFile& before, const FontBitmap& a,
                                    const FontFile& after, const FontBitmap& b) {
  const int width = std::max(DrawnWidth(before, a), DrawnWidth(after, b));
  const int height = std::max(DrawnHeight(before, a), DrawnHeight(after, b));
  unsigned long long differ = 0;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      if (DrawnSample(before, a, x, y) != DrawnSample(after, b, x, y))
        ++differ;
    }
  }
  return differ;
}

void AddField(std::vector<std::string>& changes, const char* name, int before, int after) {
  if (before != after)
    changes.push_back(Format(msg::kDiffField, name, before, after));
}

void AddBitmapFields(std::vector<std::string>& changes, const char* which, const FontBitmap& a,
                     const FontBitmap& b) {
  AddField(changes, Format(msg::kFieldWidth, which).c_str(), a.width, b.width);
  AddField(changes, Format(msg::kFieldHeight, which).c_str(), a.height, b.height);
  AddField(changes, Format(msg::kFieldTop, which).c_str(), a.top, b.top);
  AddField(changes, Format(msg::kFieldStride, which).c_str(), a.stride, b.stride);
}

std::string Join(const std::vector<std::string>& parts) {
  std::string text;
  for (const std::string& part : parts) text += (text.empty() ? "" : msg::kListSeparator) + part;
  return text;
}

bool DiffHeaders(std::ostream& out, const FontHeader& a, const FontHeader& b) {
  const struct {
    const char* name;
    int before;
    int after;
  } fields[] = {{msg::kFieldGlyphCount, a.count, b.count},
                {msg::kFieldOrientation, a.orientation, b.orientation},
                {msg::kFieldGap, a.gap, b.gap},
                {msg::kFieldSpace, a.space, b.space},
                {msg::kFieldDropX, a.dropX, b.dropX},
                {msg::kFieldDropY, a.dropY, b.dropY}};
  bool differs = false;
  for (const auto& field : fields) {
    if (field.before != field.after) {
      Say(out, msg::kDiffHeader, field.name, field.before, field.after);
      differs = true;
    }
  }
  return differs;
}

bool DiffEntry(std::ostream& out, int index, const FontFile& before, const FontFile& after) {
  const FontEntry& a = before.entries[static_cast<std::size_t>(index)];
  const FontEntry& b = after.entries[static_cast<std::size_t>(index)];
  std::vector<std::string> changes;
  AddField(changes, msg::kFieldCode, a.code, b.code);
  AddBitmapFields(changes, msg::kFace, a.face, b.face);
  AddBitmapFields(changes, msg::kShadow, a.shadow, b.shadow);
  AddField(changes, msg::kFieldShadowDx, ShadowDx(before, a), ShadowDx(after, b));
  AddField(changes, msg::kFieldShadowDy, ShadowDy(before, a), ShadowDy(after, b));
  for (const auto& [which, bitmapA, bitmapB] :
       {std::tuple{msg::kFace, a.face, b.face}, std::tuple{msg::kShadow, a.shadow, b.shadow}}) {
    if (const unsigned long long differ = DifferentSamples(before, bitmapA, after, bitmapB);
        differ > 0)
      changes.push_back(Format(msg::kDiffSamples, differ, which,
                               differ == 1 ? msg::kSamplesDiffer.one : msg::kSamplesDiffer.many));
  }
  if (changes.empty())
    return false;
  Say(out, msg::kDiffEntry, index, CharacterName(b.code).c_str(), Join(changes).c_str());
  return true;
}

}  // namespace

std::string CharacterName(std::uint8_t code) {
  if (code >= 0x20 && code < 0x7F)
    return std::string(1, static_cast<char>(code));
  return Format(msg::kByteEscape, code);
}

void PrintListing(std::ostream& out, const std::string& name, const FontFile& font) {
  if (font.hasHeader) {
    const FontHeader& header = font.header;
    Say(out, msg::kListingHeader, name.c_str(),
        Count(static_cast<long long>(font.bytes.size()), msg::kBytes).c_str(),
        font.Vertical() ? msg::kVertical : msg::kHorizontal, header.gap, header.space, header.dropX,
        header.dropY, Count(header.count, msg::kGlyphs).c_str());
    Say(out, msg::kListingColumns);
    for (std::size_t i = 0; i < font.entries.size(); ++i) {
      const FontEntry& entry = font.entries[i];
      Say(out, msg::kListingRow, static_cast<int>(i), CharacterName(entry.code).c_str(),
          entry.face.width, entry.face.height, entry.face.top, entry.face.stride, entry.face.offset,
          entry.shadow.width, entry.shadow.height, entry.shadow.top, entry.shadow.stride,
          entry.shadow.offset, ShadowDx(font, entry), ShadowDy(font, entry));
    }
    if (font.unnamedBytes > 0)
      Say(out, msg::kListingUnnamed, static_cast<unsigned long long>(font.unnamedBytes));
  }
  if (font.problems.empty() && font.unreachable.empty()) {
    Say(out, msg::kNoProblems);
    return;
  }
  Say(out, msg::kListingProblems,
      Count(static_cast<long long>(font.problems.size() + font.unreachable.size()), msg::kProblems)
          .c_str());
  for (const auto* problems : {&font.problems, &font.unreachable})
    for (const std::string& problem : *problems) Say(out, msg::kListingProblem, problem.c_str());
}

void PrintGlyph(std::ostream& out, const FontFile& font, int index) {
  const FontEntry& entry = font.entries[static_cast<std::size_t>(index)];
  PrintBitmap(out, font, index, msg::kFace, entry.face);
  PrintBitmap(out, font, index, msg::kShadow, entry.shadow);
}

bool PrintDiff(std::ostream& out, const FontFile& before, const std::string& beforeName,
               const FontFile& after, const std::string& afterName) {
  if (!before.hasHeader || !after.hasHeader) {
    for (const auto& [font, name] :
         {std::pair{&before, &beforeName}, std::pair{&after, &afterName}}) {
      if (!font->hasHeader)
        Say(out, msg::kDiffUnreadable, name->c_str(), font->problems.front().c_str());
    }
    return true;
  }
  bool differs = DiffHeaders(out, before.header, after.header);
  const std::size_t common = std::min(before.entries.size(), after.entries.size());
  for (std::size_t i = 0; i < common; ++i)
    differs |= DiffEntry(out, static_cast<int>(i), before, after);
  for (const auto& [longer, name] :
       {std::pair{&before, &beforeName}, std::pair{&after, &afterName}}) {
    for (std::size_t i = common; i < longer->entries.size(); ++i) {
      Say(out, msg::kDiffOnlyIn, static_cast<int>(i),
          CharacterName(longer->entries[i].code).c_str(), name->c_str());
      differs = true;
    }
  }
  if (before.unnamedBytes != after.unnamedBytes) {
    Say(out, msg::kDiffUnnamed, static_cast<unsigned long long>(before.unnamedBytes),
        static_cast<unsigned long long>(after.unnamedBytes));
    differs = true;
  }
  return differs;
}

}  // namespace typekiln
