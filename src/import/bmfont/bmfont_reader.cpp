#include "import/bmfont/bmfont_reader.h"

#include <algorithm>
#include <cstdarg>
#include <string_view>
#include <unordered_set>

#include "import/import_messages.h"
#include "io/byte_order.h"
#include "text/ascii.h"
#include "text/utf8.h"

namespace typekiln {

namespace {

constexpr std::string_view kBinaryMagic = "BMF";
constexpr std::uint8_t kBinaryVersion = 3;
constexpr std::size_t kVersionAt = 3;
constexpr std::size_t kBlockHeaderSize = 5;  // type byte, 4-byte size
constexpr std::size_t kInfoFixedSize = 14;   // the face name follows
constexpr std::size_t kCommonSize = 15;
constexpr std::size_t kCharRecordSize = 20;
constexpr std::size_t kKerningRecordSize = 10;
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
// A value a message quotes is cut to this many bytes: a long line must not make a long message.
constexpr std::size_t kQuotedMax = 40;

enum BlockType { kInfoBlock = 1, kCommonBlock, kPagesBlock, kCharsBlock, kKerningBlock };

struct Range {
  std::int64_t low;
  std::int64_t high;
};
constexpr Range kUnsignedRange{0, kBmFontMaxCoordinate};
constexpr Range kSignedRange{-kBmFontMaxCoordinate, kBmFontMaxCoordinate};
constexpr Range kChannelUseRange{0, 4};
constexpr Range kChnlRange{0, 15};
constexpr Range kFlagRange{0, 1};
constexpr Range kPageIdRange{0, kBmFontMaxPages - 1};
constexpr Range kPageCountRange{0, kBmFontMaxPages};
constexpr Range kCharIdRange{-1, 0xFFFFFFFF};  // -1: the "invalid" glyph some writers add

// Where a record or a field is: a line of the text and XML forms, or a byte of the binary one.
using Where = BmFontPlace;

// What a message quotes of the descriptor's text.
std::string Quoted(std::string_view text) { return std::string(text.substr(0, kQuotedMax)); }

Failure OutOfRange(Where where, std::string_view key, std::string_view text, Range range) {
  return FailAt(where, msg::kBmFontOutOfRange, std::string(key).c_str(), Quoted(text).c_str(),
                static_cast<long long>(range.low), static_cast<long long>(range.high));
}

// The descriptor being filled, and what the parse keeps beside it.
struct Reading {
  BmFontDescriptor& descriptor;
  std::string_view file;
  std::unordered_set<std::uint32_t> charIds;
  int charRecords = 0;
};

Failure AddChar(Reading& reading, const BmFontChar& glyph, Where where) {
  if (++reading.charRecords > kBmFontMaxChars)
    return FailAt(where, msg::kBmFontTooManyChars, static_cast<long long>(kBmFontMaxChars));
  if (reading.charIds.insert(glyph.id).second)
    reading.descriptor.chars.push_back(glyph);
  return {};
}

Failure AddKerningPairs(Reading& reading, std::int64_t count, Where where) {
  if (count > kBmFontMaxKerningPairs - reading.descriptor.kerningPairs)
    return FailAt(where, msg::kBmFontTooManyKerningPairs,
                  static_cast<long long>(kBmFontMaxKerningPairs));
  reading.descriptor.kerningPairs += static_cast<int>(count);
  return {};
}

// ---- The text and XML forms: records of key=value fields.

struct Field {
  std::string_view key;
  std::string value;
};

struct Record {
  std::string_view tag;
  std::vector<Field> fields;
  Where where;
};

// The record's value for `key`.
const Field* FindField(const Record& record, std::string_view key) {
  for (const Field& field : record.fields)
    if (EqualsIgnoringAsciiCase(field.key, key))
      return &field;
  return nullptr;
}

// Every key a record's handler reads. Only these are kept, each once, so that a record holds at
// most this many values however many fields its line has.
constexpr std::string_view kKeysRead[] = {
    "face",    "size",      "lineHeight", "base",    "scaleW",   "scaleH", "pages", "alphaChnl",
    "redChnl", "greenChnl", "blueChnl",   "packed",  "id",       "file",   "x",     "y",
    "width",   "height",    "xoffset",    "yoffset", "xadvance", "page",   "chnl"};

// Keeps `field` in the record when its key is read: in place of an earlier value of the same
// key, since the last one counts.
void AddField(Record& record, Field&& field) {
  if (std::none_of(std::begin(kKeysRead), std::end(kKeysRead),
                   [&](std::string_view key) { return EqualsIgnoringAsciiCase(field.key, key); }))
    return;
  for (Field& kept : record.fields)
    if (EqualsIgnoringAsciiCase(kept.key, field.key)) {
      kept = std::move(field);
      return;
    }
  record.fields.push_back(std::move(field));
}

enum class NumberText { Whole, NotANumber, Huge };

// A whole number, with an optional sign; Huge when it has more digits than any field holds.
NumberText ParseWholeNumber(std::string_view text, std::int64_t& value) {
  std::size_t at = 0;
  const bool negative = !text.empty() && text[0] == '-';
  if (!text.empty() && (text[0] == '-' || text[0] == '+'))
    at = 1;
  if (at == text.size())
    return NumberText::NotANumber;
  value = 0;
  bool huge = false;
  for (; at < text.size(); ++at) {
    if (text[at] < '0' || text[at] > '9')
      return NumberText::NotANumber;
    if (value > (std::int64_t{1} << 40))
      huge = true;
    else
      value = value * 10 + (text[at] - '0');
  }
  if (negative)
    value = -value;
  return huge ? NumberText::Huge : NumberText::Whole;
}

// Reads the record's `key` as a whole number within `range` into `out`; leaves `out` as it was
// when the record lacks the key.
Failure ReadNumber(const Record& record, std::string_view key, Range range, std::int64_t& out) {
  const Field* field = FindField(record, key);
  if (field == nullptr)
    return {};
  std::string_view text = field->value;
  while (!text.empty() && IsSpaceOrTab(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsSpaceOrTab(text.back())) text.remove_suffix(1);
  std::int64_t value = 0;
  const NumberText parsed = ParseWholeNumber(text, value);
  if (parsed == NumberText::NotANumber)
    return FailAt(record.where, msg::kBmFontBadNumber, std::string(key).c_str(),
                  Quoted(text).c_str());
  if (parsed == NumberText::Huge || value < range.low || value > range.high)
    return OutOfRange(record.where, key, text, range);
  out = value;
  return {};
}

// The same into an int; every range fits one.
Failure ReadInt(const Record& record, std::string_view key, Range range, int& out) {
  std::int64_t value = out;
  Failure failure = ReadNumber(record, key, range, value);
  out = static_cast<int>(value);
  return failure;
}

struct IntField {
  const char* key;
  Range range;
  int BmFontDescriptor::*descriptorField;
};

Failure ReadInts(const Record& record, std::span<const IntField> fields,
                 BmFontDescriptor& descriptor) {
  for (const IntField& field : fields)
    if (Failure failure =
            ReadInt(record, field.key, field.range, descriptor.*field.descriptorField);
        failure.Failed())
      return failure;
  return {};
}

Failure ApplyInfo(Reading& reading, const Record& record) {
  if (const Field* face = FindField(record, "face"))
    reading.descriptor.face = face->value;
  static constexpr IntField kFields[] = {{"size", kSignedRange, &BmFontDescriptor::size}};
  return ReadInts(record, kFields, reading.descriptor);
}

Failure ApplyCommon(Reading& reading, const Record& record) {
  static constexpr IntField kFields[] = {
      {"lineHeight", kUnsignedRange, &BmFontDescriptor::lineHeight},
      {"base", kUnsignedRange, &BmFontDescriptor::base},
      {"scaleW", kUnsignedRange, &BmFontDescriptor::scaleW},
      {"scaleH", kUnsignedRange, &BmFontDescriptor::scaleH},
      {"pages", kPageCountRange, &BmFontDescriptor::pages},
      {"alphaChnl", kChannelUseRange, &BmFontDescriptor::alphaChnl},
      {"redChnl", kChannelUseRange, &BmFontDescriptor::redChnl},
      {"greenChnl", kChannelUseRange, &BmFontDescriptor::greenChnl},
      {"blueChnl", kChannelUseRange, &BmFontDescriptor::blueChnl},
  };
  BmFontDescriptor& descriptor = reading.descriptor;
  int packed = descriptor.packed ? 1 : 0;
  Failure failure = ReadInts(record, kFields, descriptor);
  if (!failure.Failed())
    failure = ReadInt(record, "packed", kFlagRange, packed);
  descriptor.packed = packed != 0;
  descriptor.hasCommon = true;
  return failure;
}

Failure ApplyPage(Reading& reading, const Record& record) {
  if (FindField(record, "id") == nullptr)
    return FailAt(record.where, msg::kBmFontNoPageId);
  int id = 0;
  if (Failure failure = ReadInt(record, "id", kPageIdRange, id); failure.Failed())
    return failure;
  const Field* file = FindField(record, "file");
  reading.descriptor.pageFiles.emplace(id, file != nullptr ? file->value : std::string());
  return {};
}

Failure ApplyChar(Reading& reading, const Record& record) {
  if (FindField(record, "id") == nullptr)
    return FailAt(record.where, msg::kBmFontNoCharId);
  std::int64_t id = 0;
  if (Failure failure = ReadNumber(record, "id", kCharIdRange, id); failure.Failed())
    return failure;
  BmFontChar glyph;
  glyph.id = static_cast<std::uint32_t>(id);  // -1 becomes 0xFFFFFFFF, as the binary form has it
  const struct {
    const char* key;
    Range range;
    int& value;
  } fields[] = {
      {"x", kUnsignedRange, glyph.x},
      {"y", kUnsignedRange, glyph.y},
      {"width", kUnsignedRange, glyph.width},
      {"height", kUnsignedRange, glyph.height},
      {"xoffset", kSignedRange, glyph.xoffset},
      {"yoffset", kSignedRange, glyph.yoffset},
      {"xadvance", kSignedRange, glyph.xadvance},
      {"page", kPageIdRange, glyph.page},
      {"chnl", kChnlRange, glyph.chnl},
  };
  for (const auto& field : fields)
    if (Failure failure = ReadInt(record, field.key, field.range, field.value); failure.Failed())
      return failure;
  return AddChar(reading, glyph, record.where);
}

Failure ApplyKerning(Reading& reading, const Record& record) {
  return AddKerningPairs(reading, 1, record.where);
}

using RecordHandler = Failure (*)(Reading& reading, const Record& record);
struct RecordKind {
  const char* tag;
  RecordHandler handler;
};
// `chars`, `kernings` and the XML form's containers only announce or hold what follows.
constexpr RecordKind kRecordKinds[] = {{"info", ApplyInfo},
                                       {"common", ApplyCommon},
                                       {"page", ApplyPage},
                                       {"char", ApplyChar},
                                       {"kerning", ApplyKerning}};

Failure ApplyRecord(Reading& reading, const Record& record) {
  for (const RecordKind& kind : kRecordKinds)
    if (EqualsIgnoringAsciiCase(record.tag, kind.tag))
      return kind.handler(reading, record);
  return {};
}

// Moves `at` past the blanks there.
void SkipBlanks(std::string_view line, std::size_t& at) {
  while (at < line.size() && IsSpaceOrTab(line[at])) ++at;
}

// Splits one line of the text form into its tag word and key=value fields. A word without "="
// is skipped; a value may stand after blanks, unless the word there is the next key=value.
Failure SplitTextLine(std::string_view line, Record& record) {
  std::size_t at = 0;
  SkipBlanks(line, at);
  const std::size_t tagStart = at;
  while (at < line.size() && !IsSpaceOrTab(line[at])) ++at;
  record.tag = line.substr(tagStart, at - tagStart);
  record.fields.clear();
  for (;;) {
    SkipBlanks(line, at);
    if (at == line.size())
      return {};
    const std::size_t keyStart = at;
    while (at < line.size() && !IsSpaceOrTab(line[at]) && line[at] != '=') ++at;
    Field field{line.substr(keyStart, at - keyStart), {}};
    SkipBlanks(line, at);
    if (at == line.size() || line[at] != '=')
      continue;
    SkipBlanks(line, ++at);
    if (at < line.size() && line[at] == '"') {
      const std::size_t close = line.find('"', at + 1);
      if (close == std::string_view::npos)
        return FailAt(record.where, msg::kBmFontStringNotClosed);
      field.value = line.substr(at + 1, close - at - 1);
      at = close + 1;
    } else {
      std::size_t end = at;
      while (end < line.size() && !IsSpaceOrTab(line[end])) ++end;
      const std::string_view word = line.substr(at, end - at);
      if (word.find('=') == std::string_view::npos) {
        field.value = word;
        at = end;
      }
    }
    AddField(record, std::move(field));
  }
}

Failure ParseText(std::string_view text, Reading& reading) {
  Record record;
  std::size_t lineStart = 0;
  for (int lineNumber = 1; lineStart < text.size(); ++lineNumber) {
    std::size_t lineEnd = text.find('\n', lineStart);
    if (lineEnd == std::string_view::npos)
      lineEnd = text.size();
    std::string_view line = text.substr(lineStart, lineEnd - lineStart);
    if (!line.empty() && line.back() == '\r')
      line.remove_suffix(1);
    lineStart = lineEnd + 1;
    record.where = {reading.file, lineNumber, -1};
    Failure failure = SplitTextLine(line, record);
    if (!failure.Failed())
      failure = ApplyRecord(reading, record);
    if (failure.Failed())
      return failure;
  }
  return {};
}

// ASCII letters and digits, and the marks XML names use; any byte of a UTF-8 sequence.
bool IsNameByte(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
         c == ':' || c == '-' || c == '.' || static_cast<unsigned char>(c) >= 0x80;
}

// A place in an XML text that counts the lines it passes.
struct XmlCursor {
  std::string_view text;
  std::size_t at = 0;
  int line = 1;

  bool AtEnd() const { return at >= text.size(); }
  char Peek() const { return text[at]; }
  std::string_view Rest() const { return text.substr(at); }
  void Advance(std::size_t count) {
    const std::size_t end = std::min(text.size(), at + count);
    line += static_cast<int>(std::count(text.begin() + at, text.begin() + end, '\n'));
    at = end;
  }
  // Moves past the next `mark`; false, at the end, when there is none.
  bool SkipPast(std::string_view mark) {
    const std::size_t found = text.find(mark, at);
    Advance(found == std::string_view::npos ? text.size() - at : found + mark.size() - at);
    return found != std::string_view::npos;
  }
  void SkipSpace() {
    while (!AtEnd() && (IsSpaceOrTab(Peek()) || Peek() == '\r' || Peek() == '\n')) Advance(1);
  }
  std::string_view TakeName() {
    const std::size_t start = at;
    while (!AtEnd() && IsNameByte(Peek())) ++at;
    return text.substr(start, at - start);
  }
};

// The character a numeric entity's name ("#65", "#x41") stands for; false for none.
bool NumericEntity(std::string_view name, std::uint32_t& code) {
  const bool hex = name.size() > 1 && (name[1] == 'x' || name[1] == 'X');
  const std::string_view digits = name.substr(hex ? 2 : 1);
  if (digits.empty() || digits.size() > 7)
    return false;
  code = 0;
  for (const char c : digits) {
    const int digit = c >= '0' && c <= '9'          ? c - '0'
                      : hex && c >= 'a' && c <= 'f' ? c - 'a' + 10
                      : hex && c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                    : -1;
    if (digit < 0)
      return false;
    code = code * (hex ? 16 : 10) + static_cast<std::uint32_t>(digit);
  }
  return code != 0 && code <= 0x10FFFF && (code < 0xD800 || code > 0xDFFF);
}

// `raw` with its entities replaced by what they stand for; false, with the entity in `bad`,
// for one that is not XML's.
bool DecodeEntities(std::string_view raw, std::string& out, std::string& bad) {
  static constexpr struct {
    std::string_view name;
    char c;
  } kNamed[] = {{"quot", '"'}, {"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"apos", '\''}};
  constexpr std::size_t kLongestEntity = 10;  // "&#x10FFFF;"
  out.clear();
  for (std::size_t at = 0; at < raw.size(); ++at) {
    if (raw[at] != '&') {
      out += raw[at];
      continue;
    }
    const std::size_t semicolon = raw.find(';', at);
    if (semicolon == std::string_view::npos || semicolon - at >= kLongestEntity) {
      bad = raw.substr(at, std::min(kLongestEntity, raw.size() - at));
      return false;
    }
    const std::string_view name = raw.substr(at + 1, semicolon - at - 1);
    const auto named = std::find_if(std::begin(kNamed), std::end(kNamed),
                                    [&](const auto& entity) { return entity.name == name; });
    std::uint32_t code = 0;
    if (named != std::end(kNamed)) {
      out += named->c;
    } else if (!name.empty() && name[0] == '#' && NumericEntity(name, code)) {
      AppendUtf8(code, out);
    } else {
      bad = raw.substr(at, semicolon - at + 1);
      return false;
    }
    at = semicolon;
  }
  return true;
}

// Reads the element whose "<" the cursor is at, up to its ">" or "/>", as a record.
Failure ParseXmlElement(XmlCursor& cursor, Reading& reading, Record& record) {
  record.where = {reading.file, cursor.line, -1};
  cursor.Advance(1);
  record.tag = cursor.TakeName();
  record.fields.clear();
  if (record.tag.empty())
    return FailAt(record.where, msg::kBmFontBadXml);
  for (;;) {
    cursor.SkipSpace();
    if (cursor.AtEnd())
      return FailAt(record.where, msg::kBmFontBadXml);
    if (cursor.Rest().starts_with(">") || cursor.Rest().starts_with("/>")) {
      cursor.SkipPast(">");
      return ApplyRecord(reading, record);
    }
    const Where attribute{reading.file, cursor.line, -1};
    Field field{cursor.TakeName(), {}};
    cursor.SkipSpace();
    if (field.key.empty() || cursor.AtEnd() || cursor.Peek() != '=')
      return FailAt(attribute, msg::kBmFontBadXml);
    cursor.Advance(1);
    cursor.SkipSpace();
    if (cursor.AtEnd() || (cursor.Peek() != '"' && cursor.Peek() != '\''))
      return FailAt(attribute, msg::kBmFontBadXml);
    const char quote = cursor.Peek();
    const std::size_t close = cursor.text.find(quote, cursor.at + 1);
    if (close == std::string_view::npos)
      return FailAt(attribute, msg::kBmFontStringNotClosed);
    const std::string_view raw = cursor.text.substr(cursor.at + 1, close - cursor.at - 1);
    std::string bad;
    if (!DecodeEntities(raw, field.value, bad))
      return FailAt(attribute, msg::kBmFontBadEntity, bad.c_str());
    cursor.Advance(close + 1 - cursor.at);
    AddField(record, std::move(field));
  }
}

Failure ParseXml(std::string_view text, Reading& reading) {
  XmlCursor cursor{text};
  Record record;
  while (cursor.SkipPast("<")) {
    cursor.at -= 1;  // back onto the "<", which holds no line end
    const Where start{reading.file, cursor.line, -1};
    const std::string_view rest = cursor.Rest();
    bool closed = true;
    if (rest.starts_with("<?"))
      closed = cursor.SkipPast("?>");
    else if (rest.starts_with("<!--"))
      closed = cursor.SkipPast("-->");
    else if (rest.starts_with("<!") || rest.starts_with("</"))
      closed = cursor.SkipPast(">");
    else if (Failure failure = ParseXmlElement(cursor, reading, record); failure.Failed())
      return failure;
    if (!closed)
      return FailAt(start, msg::kBmFontBadXml);
  }
  return {};
}

// ---- The binary form: blocks of little-endian fields.

std::uint32_t GetLE32(const std::uint8_t* in) {
  return std::uint32_t{in[0]} | std::uint32_t{in[1]} << 8 | std::uint32_t{in[2]} << 16 |
         std::uint32_t{in[3]} << 24;
}

int GetSignedLE16(const std::uint8_t* in) {
  const int value = GetLE16(in);
  return value < 0x8000 ? value : value - 0x10000;
}

// Where byte `at` of the data of the block that starts at `block` is.
Where InBlock(Where block, std::size_t at) {
  return {block.file, 0, block.offset + static_cast<std::int64_t>(kBlockHeaderSize + at)};
}

Failure BlockTooShort(Where block, int type, std::size_t size) {
  return FailAt(block, msg::kBmFontBlockTooShort, type, static_cast<long long>(size));
}

Failure NameNotEnded(Where block, int type) {
  return FailAt(block, msg::kBmFontNameNotEnded, type);
}

Failure ParseInfoBlock(std::span<const std::uint8_t> data, Where block, Reading& reading) {
  if (data.size() <= kInfoFixedSize)
    return BlockTooShort(block, kInfoBlock, data.size());
  const auto name = data.subspan(kInfoFixedSize);
  const auto end = std::find(name.begin(), name.end(), 0);
  if (end == name.end())
    return NameNotEnded(block, kInfoBlock);
  reading.descriptor.size = GetSignedLE16(data.data());
  reading.descriptor.face.assign(name.begin(), end);
  return {};
}

Failure ParseCommonBlock(std::span<const std::uint8_t> data, Where block, Reading& reading) {
  if (data.size() < kCommonSize)
    return BlockTooShort(block, kCommonBlock, data.size());
  BmFontDescriptor& descriptor = reading.descriptor;
  descriptor.lineHeight = GetLE16(&data[0]);
  descriptor.base = GetLE16(&data[2]);
  descriptor.scaleW = GetLE16(&data[4]);
  descriptor.scaleH = GetLE16(&data[6]);
  descriptor.pages = GetLE16(&data[8]);
  if (descriptor.pages > kPageCountRange.high)
    return OutOfRange(InBlock(block, 8), "pages", std::to_string(descriptor.pages),
                      kPageCountRange);
  descriptor.packed = (data[10] & 0x80) != 0;
  const struct {
    const char* key;
    int& value;
  } channels[] = {{"alphaChnl", descriptor.alphaChnl},
                  {"redChnl", descriptor.redChnl},
                  {"greenChnl", descriptor.greenChnl},
                  {"blueChnl", descriptor.blueChnl}};
  for (std::size_t i = 0; i < std::size(channels); ++i) {
    channels[i].value = data[11 + i];
    if (channels[i].value > kChannelUseRange.high)
      return OutOfRange(InBlock(block, 11 + i), channels[i].key, std::to_string(channels[i].value),
                        kChannelUseRange);
  }
  descriptor.hasCommon = true;
  return {};
}

Failure ParsePagesBlock(std::span<const std::uint8_t> data, Where block, Reading& reading) {
  if (!data.empty() && data.back() != 0)
    return NameNotEnded(block, kPagesBlock);
  // Names past the last page id a char can give are never used, and are not kept.
  auto name = data.begin();
  for (int id = 0; name != data.end() && id < kBmFontMaxPages; ++id) {
    const auto end = std::find(name, data.end(), 0);
    reading.descriptor.pageFiles.emplace(id, std::string(name, end));
    name = end + 1;
  }
  return {};
}

Failure CheckRecords(std::size_t size, std::size_t recordSize, Where block, int type) {
  if (size % recordSize == 0)
    return {};
  return FailAt(block, msg::kBmFontBlockRecords, type, static_cast<long long>(size),
                static_cast<long long>(recordSize));
}

Failure ParseCharsBlock(std::span<const std::uint8_t> data, Where block, Reading& reading) {
  if (Failure failure = CheckRecords(data.size(), kCharRecordSize, block, kCharsBlock);
      failure.Failed())
    return failure;
  for (std::size_t at = 0; at < data.size(); at += kCharRecordSize) {
    const std::uint8_t* in = &data[at];
    BmFontChar glyph;
    glyph.id = GetLE32(in);
    glyph.x = GetLE16(in + 4);
    glyph.y = GetLE16(in + 6);
    glyph.width = GetLE16(in + 8);
    glyph.height = GetLE16(in + 10);
    glyph.xoffset = GetSignedLE16(in + 12);
    glyph.yoffset = GetSignedLE16(in + 14);
    glyph.xadvance = GetSignedLE16(in + 16);
    glyph.page = in[18];
    glyph.chnl = in[19];
    if (glyph.chnl > kChnlRange.high)
      return OutOfRange(InBlock(block, at + 19), "chnl", std::to_string(glyph.chnl), kChnlRange);
    if (Failure failure = AddChar(reading, glyph, InBlock(block, at)); failure.Failed())
      return failure;
  }
  return {};
}

Failure ParseBlock(int type, std::span<const std::uint8_t> data, Where block, Reading& reading) {
  switch (type) {
    case kInfoBlock:
      return ParseInfoBlock(data, block, reading);
    case kCommonBlock:
      return ParseCommonBlock(data, block, reading);
    case kPagesBlock:
      return ParsePagesBlock(data, block, reading);
    case kCharsBlock:
      return ParseCharsBlock(data, block, reading);
    case kKerningBlock:
      if (Failure failure = CheckRecords(data.size(), kKerningRecordSize, block, type);
          failure.Failed())
        return failure;
      return AddKerningPairs(reading, static_cast<std::int64_t>(data.size() / kKerningRecordSize),
                             block);
  }
  return FailAt(block, msg::kBmFontBlockType, type);
}

Failure ParseBinary(std::span<const std::uint8_t> bytes, Reading& reading) {
  const Where version{reading.file, 0, static_cast<std::int64_t>(kVersionAt)};
  if (bytes.size() <= kVersionAt)
    return FailAt(version, msg::kBmFontNoVersion);
  if (bytes[kVersionAt] != kBinaryVersion)
    return FailAt(version, msg::kBmFontVersion, static_cast<long long>(bytes[kVersionAt]));
  for (std::size_t at = kVersionAt + 1; at < bytes.size();) {
    const Where block{reading.file, 0, static_cast<std::int64_t>(at)};
    if (bytes.size() - at < kBlockHeaderSize)
      return FailAt(block, msg::kBmFontBlockHeaderCut);
    const int type = bytes[at];
    const std::uint32_t size = GetLE32(&bytes[at + 1]);
    if (size > bytes.size() - at - kBlockHeaderSize)
      return FailAt(block, msg::kBmFontBlockPastEnd, type, static_cast<long long>(size));
    if (Failure failure =
            ParseBlock(type, bytes.subspan(at + kBlockHeaderSize, size), block, reading);
        failure.Failed())
      return failure;
    at += kBlockHeaderSize + size;
  }
  return {};
}

// What every form must give: the baseline, and a file for each page a char is on.
Failure CheckComplete(const Reading& reading) {
  const BmFontDescriptor& descriptor = reading.descriptor;
  if (!descriptor.hasCommon)
    return FailAt({reading.file}, msg::kBmFontNoCommon);
  for (const BmFontChar& glyph : descriptor.chars)
    if (!descriptor.pageFiles.contains(glyph.page))
      return FailAt({reading.file}, msg::kBmFontPageNotNamed, glyph.id, glyph.page);
  return {};
}

}  // namespace

Failure FailAt(const BmFontPlace& place, const char* format, ...) {
  const std::string file(place.file);
  std::string message = place.line > 0      ? Format(msg::kBmFontAtLine, file.c_str(), place.line)
                        : place.offset >= 0 ? Format(msg::kBmFontAtByte, file.c_str(),
                                                     static_cast<long long>(place.offset))
                                            : Format(msg::kBmFontIn, file.c_str());
  va_list args;
  va_start(args, format);
  message += FormatList(format, args);
  va_end(args);
  // What the descriptor wrote may hold line ends and other control bytes; the message is one line.
  for (char& c : message)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
      c = '?';
  return Failure::Because("%s", message.c_str());
}

Failure ParseBmFont(std::string_view file, std::span<const std::uint8_t> bytes,
                    BmFontDescriptor& descriptor) {
  descriptor = {};
  Reading reading{descriptor, file, {}, 0};
  std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  Failure failure;
  if (text.starts_with(kBinaryMagic)) {
    descriptor.form = BmFontForm::Binary;
    failure = ParseBinary(bytes, reading);
  } else {
    if (text.starts_with(kByteOrderMark))
      text.remove_prefix(kByteOrderMark.size());
    const std::size_t first = text.find_first_not_of(" \t\r\n");
    if (first != std::string_view::npos && text[first] == '<') {
      descriptor.form = BmFontForm::Xml;
      failure = ParseXml(text, reading);
    } else {
      failure = ParseText(text, reading);
    }
  }
  return failure.Failed() ? failure : CheckComplete(reading);
}

}  // namespace typekiln
