#pragma once

#include <cstdarg>
#include <istream>
#include <ostream>
#include <string>

#include "report/messages.h"

#if defined(__GNUC__)
#define TYPEKILN_PRINTF(format_index, first_arg) \
  __attribute__((format(printf, format_index, first_arg)))
#else
#define TYPEKILN_PRINTF(format_index, first_arg)
#endif

namespace typekiln {

/// The tool's three standard streams. The tool runs on std::cout, std::cerr and std::cin; tests
/// swap in string streams. `sawError` records that at least one error was reported, which makes
/// the exit status 1. `inputIsTerminal` puts off the wait after each error to one wait at the end
/// of the run, which says that it waits (WaitOnceForErrors).
struct Console {
  std::ostream& out;
  std::ostream& err;
  std::istream& in;
  bool sawError = false;
  bool inputIsTerminal = false;
  /// What each error and remark said through Fail and Warn starts with: the tool's name, or
  /// nothing.
  const char* errorPrefix = "";
};

/// Capacity of the error formatting buffer; a longer message is cut to one byte less.
inline constexpr int kErrorBufferSize = 256;

/// Formats the message into 256 bytes (cut to 255 characters), prints it and a newline on `err`,
/// then reads one character from `in`, so that an interactive user sees the error before the run
/// goes on; at a terminal the wait is put off to the end of the run. Marks the run as failed.
void ReportError(Console& console, const char* format, ...) TYPEKILN_PRINTF(2, 3);

/// At a terminal, after a run that reported errors: says "Press Enter to go on." and reads one
/// character, once for all of them. Does nothing otherwise.
void WaitOnceForErrors(Console& console);

/// The message formatted as printf would, whatever its length.
std::string Format(const char* format, ...) TYPEKILN_PRINTF(1, 2);
std::string FormatList(const char* format, va_list args);

/// `count` and the noun that goes with it: "1 pixel", "2 pixels".
std::string Count(long long count, const msg::Noun& noun);

/// How typekiln-inspect and typekiln-import say an error: the message, after the console's
/// prefix, and a newline on `err`, without waiting for a key (build scripts run them); returns
/// `status`, the exit status the run ends with.
int Fail(Console& console, int status, const char* format, ...) TYPEKILN_PRINTF(3, 4);

/// A remark on a run that goes on, said as Fail says an error.
void Warn(Console& console, const char* format, ...) TYPEKILN_PRINTF(2, 3);

/// Prints the formatted message and a newline on `out`: how typekiln-inspect says anything.
void Say(std::ostream& out, const char* format, ...) TYPEKILN_PRINTF(2, 3);

/// Prints the formatted message on `out` when `on`: the script has switched reporting on.
void Verbose(Console& console, bool on, const char* format, ...) TYPEKILN_PRINTF(3, 4);

}  // namespace typekiln
