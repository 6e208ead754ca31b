#pragma once

// Reads the arguments of a script line the way the C library's scanf reads them with formats
// such as "%s %d,%d", but without a fixed-size buffer that a long word could overrun. For every
// line that fits scanf's buffers the results are the same: a chain of calls such as
//   scan.Word() && scan.Number(&x) && scan.Literal(',') && scan.Number(&y)
// succeeds exactly when sscanf(line, "%s %d,%d", ...) converts every value, with equal values.

#include <cstdint>
#include <string>
#include <string_view>

namespace typekiln {

/// The bytes scanf skips as white space: space, tab, LF, VT, FF and CR.
bool IsScanSpace(char c);

/// Reads from the front of a line, which must outlive the scanner.
class LineScanner {
 public:
  explicit LineScanner(std::string_view line) : rest_(line) {}

  /// "%s": skips white space, then takes the following run of other bytes (at least one) into
  /// `word` when given.
  bool Word(std::string* word = nullptr);

  /// "%d": skips white space, then reads an optional sign and at least one decimal digit. A value
  /// beyond 64 bits saturates and is then cut to its low 32 bits, as the C library stores it.
  bool Number(std::int32_t* value);

  /// An ordinary format character: the next byte must be `c`; nothing is skipped before it.
  bool Literal(char c);

 private:
  void SkipSpace();

  std::string_view rest_;
};

}  // namespace typekiln
