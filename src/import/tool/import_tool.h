#pragma once

#include <string>
#include <vector>

#include "io/command_line.h"
#include "report/console.h"

namespace typekiln {

/// typekiln-import's whole run: `arguments` are the command line after the program's name (paths
/// are read as the system gave them, --chars as UTF-8). Reads the font, draws the sheet and
/// writes faces.tga, shadows.tga and font.tks into the output folder. Returns the exit status:
/// 0 written, 1 the font or the output failed (nothing written), 2 the arguments are wrong.
int RunImportTool(Console& console, const std::vector<Argument>& arguments);

}  // namespace typekiln
