#include "import/char_list.h"

#include <array>

namespace typekiln {

namespace {

constexpr char32_t kFirstCode = 0x21;
constexpr char32_t kLastCode = 0xFF;
constexpr std::uint8_t kFirstHighCode = 0x80;

// The next UTF-8 character of `text` from `at`, which moves past it; false for bytes that are
// not UTF-8 (overlong forms and surrogates included).
bool NextCharacter(std::string_view text, std::size_t& at, char32_t& character) {
  const auto lead = static_cast<std::uint8_t>(text[at++]);
  int extra = 0;
  char32_t least = 0;
  if (lead < 0x80) {
    character = lead;
    return true;
  } else if ((lead & 0xE0) == 0xC0) {
    extra = 1, least = 0x80, character = lead & 0x1F;
  } else if ((lead & 0xF0) == 0xE0) {
    extra = 2, least = 0x800, character = lead & 0x0F;
  } else if ((lead & 0xF8) == 0xF0) {
    extra = 3, least = 0x10000, character = lead & 0x07;
  } else {
    return false;
  }
  for (; extra > 0; --extra) {
    if (at >= text.size())
      return false;
    const auto next = static_cast<std::uint8_t>(text[at++]);
    if ((next & 0xC0) != 0x80)
      return false;
    character = (character << 6) | (next & 0x3F);
  }
  return character >= least && character <= 0x10FFFF && (character < 0xD800 || character > 0xDFFF);
}

}  // namespace

std::vector<std::uint8_t> DefaultCharList() {
  std::vector<std::uint8_t> codes;
  for (std::uint8_t code = '!'; code <= '~'; ++code) codes.push_back(code);
  return codes;
}

int CharSetLimit(std::uint8_t last) {
  return last >= kFirstHighCode ? kMaxCharSetCodes - static_cast<int>(sizeof kCharSetGuard - 1)
                                : kMaxCharSetCodes;
}

bool ParseCharList(std::string_view text, std::vector<std::uint8_t>& codes,
                   CharListFailure& failure) {
  codes.clear();
  std::array<bool, 256> seen{};
  for (std::size_t at = 0; at < text.size();) {
    char32_t character = 0;
    failure.position = static_cast<int>(codes.size()) + 1;
    if (!NextCharacter(text, at, character)) {
      failure.problem = CharListProblem::NotUtf8;
      return false;
    }
    failure.character = character;
    if (character < kFirstCode || character > kLastCode) {
      failure.problem = CharListProblem::OutOfRange;
      return false;
    }
    if (seen[character]) {
      failure.problem = CharListProblem::Repeated;
      return false;
    }
    seen[character] = true;
    codes.push_back(static_cast<std::uint8_t>(character));
  }
  if (codes.empty()) {
    failure.problem = CharListProblem::Empty;
    return false;
  }
  const int limit = CharSetLimit(codes.back());
  if (codes.size() > static_cast<std::size_t>(limit)) {
    failure = {CharListProblem::TooMany, 0, 0, static_cast<int>(codes.size()), limit};
    return false;
  }
  failure = {};
  return true;
}

}  // namespace typekiln
