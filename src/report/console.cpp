#include "report/console.h"

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
  if (!console.inputIsTerminal)
    console.in.get();
}

void WaitOnceForErrors(Console& console) {
  if (!console.inputIsTerminal || !console.sawError)
    return;
  console.err << msg::kPressEnter << '\n';
  console.err.flush();
  console.in.get();
}

std::string FormatList(const char* format, va_list args) {
  va_list again;
  va_copy(again, args);
  const int length = std::vsnprintf(nullptr, 0, format, args);
  std::string text;
  if (length > 0) {
    text.resize(static_cast<std::size_t>(length) + 1);
    std::vsnprintf(text.data(), text.size(), format, again);
    text.pop_back();
  }
  va_end(again);
  return text;
}

std::string Format(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string text = FormatList(format, args);
  va_end(args);
  return text;
}

std::string Count(long long count, const msg::Noun& noun) {
  return std::to_string(count) + " " + (count == 1 ? noun.one : noun.many);
}

namespace {

// An error or a remark: the message after the console's prefix, on standard error.
void SayOnErr(Console& console, const char* format, va_list args) {
  console.err << console.errorPrefix << FormatList(format, args) << '\n';
}

}  // namespace

int Fail(Console& console, int status, const char* format, ...) {
  va_list args;
  va_start(args, format);
  SayOnErr(console, format, args);
  va_end(args);
  return status;
}

void Warn(Console& console, const char* format, ...) {
  va_list args;
  va_start(args, format);
  SayOnErr(console, format, args);
  va_end(args);
}

void Say(std::ostream& out, const char* format, ...) {
  va_list args;
  va_start(args, format);
  out << FormatList(format, args) << '\n';
  va_end(args);
}

void Verbose(Console& console, bool on, const char* format, ...) {
  if (!on)
    return;
  va_list args;
  va_start(args, format);
  console.out << FormatList(format, args);
  va_end(args);
}

}  // namespace typekiln
