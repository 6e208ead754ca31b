#include "script/setting_commands.h"

#include <algorithm>
#include <cstdint>
#include <string_view>

#include "io/byte_order.h"
#include "report/messages.h"
#include "script/command_table.h"
#include "script/line_scanner.h"
#include "text/ascii.h"

namespace typekiln {

namespace {

// Reads "%s %d" into `value`; reports the line when the number is missing.
bool ScanOneNumber(Console& console, const ScriptLine& line, std::int32_t* value) {
  LineScanner scan(line.text);
  if (scan.Word() && scan.Number(value))
    return true;
  ReportError(console, msg::kMissingValue, line.text.c_str());
  return false;
}

// Gap and Space: one number, kept as a byte, as the font holds it. False when the line is wrong.
bool SetByte(Console& console, const ScriptLine& line, std::uint8_t& setting) {
  std::int32_t value = 0;
  if (!ScanOneNumber(console, line, &value))
    return false;
  setting = LowByte(value);
  return true;
}

bool StartsWithIgnoringAsciiCase(std::string_view word, std::string_view prefix) {
  return word.size() >= prefix.size() &&
         EqualsIgnoringAsciiCase(word.substr(0, prefix.size()), prefix);
}

}  // namespace

void HandleType(BuildState& state, Console& console, const ScriptLine& line) {
  LineScanner scan(line.text);
  std::string word;
  if (scan.Word() && scan.Word(&word)) {
    if (StartsWithIgnoringAsciiCase(word, "Hor")) {
      state.settings.orientation = Orientation::Horizontal;
      return Verbose(console, state.verbose, msg::kHorizontalType);
    }
    if (StartsWithIgnoringAsciiCase(word, "Ver")) {
      state.settings.orientation = Orientation::Vertical;
      return Verbose(console, state.verbose, msg::kVerticalType);
    }
  }
  ReportError(console, msg::kUnknownType, line.text.c_str());
}

void HandleEncoding(BuildState& state, Console& console, const ScriptLine& line) {
  LineScanner scan(line.text);
  std::string word;
  if (!(scan.Word() && scan.Word(&word)))
    return ReportError(console, msg::kMissingValue, line.text.c_str());
  if (EqualsIgnoringAsciiCase(word, "UTF-8"))
    state.encoding = ScriptEncoding::Utf8;
  else if (EqualsIgnoringAsciiCase(word, "Latin-1"))
    state.encoding = ScriptEncoding::Latin1;
  else
    ReportError(console, msg::kUnknownEncoding, line.text.c_str());
}

void HandleGap(BuildState& state, Console& console, const ScriptLine& line) {
  if (SetByte(console, line, state.settings.gap))
    Verbose(console, state.verbose, msg::kGapEcho, AsSignedByte(state.settings.gap));
}

void HandleSpace(BuildState& state, Console& console, const ScriptLine& line) {
  if (SetByte(console, line, state.settings.space))
    Verbose(console, state.verbose, msg::kSpaceEcho, AsSignedByte(state.settings.space));
}

void HandleDrop(BuildState& state, Console& console, const ScriptLine& line) {
  LineScanner scan(line.text);
  std::int32_t x = 0;
  std::int32_t y = 0;
  if (!(scan.Word() && scan.Number(&x) && scan.Literal(',') && scan.Number(&y)))
    return ReportError(console, msg::kMissingValue, line.text.c_str());
  state.settings.dropX = LowByte(x);
  state.settings.dropY = LowByte(y);
  Verbose(console, state.verbose, msg::kDropEcho, AsSignedByte(state.settings.dropX),
          AsSignedByte(state.settings.dropY));
}

void HandleReport(BuildState& state, Console&, const ScriptLine&) {
  state.verbose = !state.verbose;
}

void HandleMaxHeight(BuildState& state, Console& console, const ScriptLine& line) {
  LineScanner scan(line.text);
  std::int32_t value = 0;
  if (scan.Word() && scan.Number(&value))
    state.settings.maxHeight = value;
  Verbose(console, state.verbose, msg::kMaxHeightEcho, state.settings.maxHeight);
}

void HandleCharSet(BuildState& state, Console& console, const ScriptLine& line) {
  LineScanner scan(line.text);
  std::string word;
  if (scan.Word() && scan.Word(&word)) {
    // A script line cannot hold a longer word; a line handed in by other means is cut to fit.
    const std::size_t length = std::min(word.size(), state.settings.charSet.size() - 1);
    std::copy_n(word.begin(), length, state.settings.charSet.begin());
    state.settings.charSet[length] = '\0';
  }
  Verbose(console, state.verbose, msg::kCharSetEcho, state.settings.charSet.data());
}

}  // namespace typekiln
