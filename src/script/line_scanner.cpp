#include "script/line_scanner.h"

#include <limits>

namespace typekiln {

bool IsScanSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

void LineScanner::SkipSpace() {
  while (!rest_.empty() && IsScanSpace(rest_.front())) rest_.remove_prefix(1);
}

bool LineScanner::Word(std::string* word) {
  SkipSpace();
  std::size_t length = 0;
  while (length < rest_.size() && !IsScanSpace(rest_[length])) ++length;
  if (length == 0)
    return false;
  if (word != nullptr)
    word->assign(rest_.substr(0, length));
  rest_.remove_prefix(length);
  return true;
}

bool LineScanner::Number(std::int32_t* value) {
  SkipSpace();
  std::size_t at = 0;
  const bool negative = at < rest_.size() && rest_[at] == '-';
  if (at < rest_.size() && (rest_[at] == '-' || rest_[at] == '+'))
    ++at;
  const std::size_t firstDigit = at;
  // Accumulated as a negative number so that the most negative 64-bit value fits too.
  constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
  std::int64_t magnitude = 0;
  bool saturated = false;
  for (; at < rest_.size() && rest_[at] >= '0' && rest_[at] <= '9'; ++at) {
    const int digit = rest_[at] - '0';
    if (magnitude < (kMin + digit) / 10)
      saturated = true;
    if (!saturated)
      magnitude = magnitude * 10 - digit;
  }
  if (at == firstDigit)
    return false;
  std::int64_t result;
  if (negative) {
    result = saturated ? kMin : magnitude;
  } else {
    result = saturated || magnitude == kMin ? std::numeric_limits<std::int64_t>::max() : -magnitude;
  }
  *value = static_cast<std::int32_t>(result);
  rest_.remove_prefix(at);
  return true;
}

bool LineScanner::Literal(char c) {
  if (rest_.empty() || rest_.front() != c)
    return false;
  rest_.remove_prefix(1);
  return true;
}

}  // namespace typekiln
