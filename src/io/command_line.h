#pragma once

#include <string>
#include <vector>

namespace typekiln {

/// The arguments after the program's name as UTF-8 text. On POSIX systems they are `argv` as it
/// is; on Windows, whose `argv` is in the ANSI code page, they are taken from the wide command
/// line (or `argv`, should the two not agree on the count).
std::vector<std::string> ArgumentsAsUtf8(int argc, char* argv[]);

}  // namespace typekiln
