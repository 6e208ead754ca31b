#include "import/sheet/char_list.h"

#include <algorithm>
#include <array>

#include "import/import_messages.h"
#include "text/utf8.h"

namespace typekiln {

namespace {

constexpr char32_t kFirstCode = 0x21;
constexpr char32_t kLastCode = 0xFF;

}  // namespace

std::vector<std::uint8_t> DefaultCharList() {
  std::vector<std::uint8_t> codes;
  for (std::uint8_t code = '!'; code <= '~'; ++code) codes.push_back(code);
  return codes;
}

int CharSetLimit(std::uint8_t last) {
  constexpr std::uint8_t kNoBreakSpace = 0xA0;
  return kMaxCharSetCodes - (last == kNoBreakSpace ? static_cast<int>(sizeof kCharSetKept - 1) : 0);
}

Failure ParseCharList(std::string_view text, std::vector<std::uint8_t>& codes,
                      std::vector<std::uint8_t>& repeated) {
  codes.clear();
  repeated.clear();
  std::array<bool, 256> seen{};
  int position = 0;
  for (std::size_t at = 0; at < text.size();) {
    const Utf8Character character = DecodeUtf8(text, at);
    ++position;
    if (character.length == 0)
      return Failure::Because(msg::kImportCharsNotUtf8, position);
    at += character.length;
    if (character.code < kFirstCode || character.code > kLastCode)
      return Failure::Because(msg::kImportCharsOutOfRange, static_cast<unsigned>(character.code),
                              position);
    const auto code = static_cast<std::uint8_t>(character.code);
    if (seen[code]) {  // taken once; the run says so
      if (std::find(repeated.begin(), repeated.end(), code) == repeated.end())
        repeated.push_back(code);
      continue;
    }
    seen[code] = true;
    codes.push_back(code);
  }
  if (codes.empty())
    return Failure::Because(msg::kImportCharsEmpty);
  if (const int limit = CharSetLimit(codes.back()); codes.size() > static_cast<std::size_t>(limit))
    return Failure::Because(msg::kImportCharsTooMany, static_cast<int>(codes.size()), limit);
  return {};
}

}  // namespace typekiln
