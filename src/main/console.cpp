#include "main/console.h"

#include <cstdarg>
#include <cstdio>
#include <string>

namespace typekiln {

void ReportError(Console& console, const char* format, ...) {
  char buffer[kErrorBufferSize];
  va_list args;
  va_start(args, format);
  std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  console.err << buffer << '\n';
  console.err.flush();
  console.sawError = true;
  console.in.get();
}

void Verbose(const BuildState& state, Console& console, const char* format, ...) {
  if (!state.verbose)
    return;
  va_list args;
  va_start(args, format);
  va_list again;
  va_copy(again, args);
  const int length = std::vsnprintf(nullptr, 0, format, args);
  va_end(args);
  if (length > 0) {
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    std::vsnprintf(text.data(), text.size(), format, again);
    text.pop_back();
    console.out << text;
  }
  va_end(again);
}

}  // namespace typekiln
