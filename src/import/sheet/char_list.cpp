#include "import/sheet/char_list.h"

#include <algorithm>
#include <array>

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

bool ParseCharList(std::string_view text, std::vector<std::uint8_t>& codes,
                   std::vector<std::uint8_t>& repeated, CharListFailure& failure) {
  codes.clear();
  repeated.clear();
  std::array<bool, 256> seen{};
  int position = 0;
  for (std::size_t at = 0; at < text.size();) {
    const Utf8Character character = DecodeUtf8(text, at);
    failure.position = ++position;
    if (character.length == 0) {
      failure.problem = CharListProblem::NotUtf8;
      return false;
    }
    at += character.length;
    failure.character = character.code;
    if (character.code < kFirstCode || character.code > kLastCode) {
      failure.problem = CharListProblem::OutOfRange;
      return false;
    }
    const auto code = static_cast<std::uint8_t>(character.code);
    if (seen[code]) {  // taken once; the run says so
      if (std::find(repeated.begin(), repeated.end(), code) == repeated.end())
        repeated.push_back(code);
      continue;
    }
    seen[code] = true;
    codes.push_back(code);
  }
  if (codes.empty()) {
    failure.problem = CharListProblem::Empty;
    return false;
  }
  if (const int limit = CharSetLimit(codes.back());
      codes.size() > static_cast<std::size_t>(limit)) {
    failure = {CharListProblem::TooMany, 0, 0, static_cast<int>(codes.size()), limit};
    return false;
  }
  failure = {};
  return true;
}

}  // namespace typekiln
