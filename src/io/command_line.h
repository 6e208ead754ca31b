#pragma once

#include <string>
#include <vector>

namespace typekiln {

/// One argument after the program's name: as the system gave it in `argv`, and as UTF-8 text.
/// On POSIX systems the two are the same; on Windows, whose `argv` is in the ANSI code page, the
/// UTF-8 text is taken from the wide command line (or is `argv`'s, should the two not agree on
/// the count).
struct Argument {
  std::string native;
  std::string utf8;
};

/// The arguments after the program's name.
std::vector<Argument> CommandLineArguments(int argc, char* argv[]);

}  // namespace typekiln
