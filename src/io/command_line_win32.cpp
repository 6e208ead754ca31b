#include "io/command_line.h"

#include <windows.h>

// After windows.h, whose types it uses.
#include <shellapi.h>

namespace typekiln {

namespace {

std::string Utf8(const wchar_t* text) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (size <= 1)
    return {};
  std::string utf8(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8.data(), size, nullptr, nullptr);
  utf8.pop_back();
  return utf8;
}

}  // namespace

std::vector<Argument> CommandLineArguments(int argc, char* argv[]) {
  std::vector<Argument> arguments = ArgumentsOf(argc, argv);
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (wide == nullptr)
    return arguments;
  if (count == argc)
    for (int i = 1; i < count; ++i) arguments[static_cast<std::size_t>(i - 1)].utf8 = Utf8(wide[i]);
  LocalFree(wide);
  return arguments;
}

}  // namespace typekiln
