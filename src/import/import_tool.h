#pragma once

#include <string>
#include <vector>

#include "report/console.h"

namespace typekiln {

/// typekiln-import's whole run: `arguments` are the command line after the program's name,
/// `charsUtf8` the text of each argument as UTF-8 (the same on POSIX systems; on Windows taken
/// from the wide command line, where `arguments` are in the ANSI code page). Reads the font,
/// draws the sheet and writes faces.tga, shadows.tga and font.tks into the output folder.
/// Returns the exit status: 0 written, 1 the font or the output failed (nothing written),
/// 2 the arguments are wrong.
int RunImportTool(Console& console, const std::vector<std::string>& arguments,
                  const std::vector<std::string>& argumentsUtf8);

}  // namespace typekiln
