#pragma once

#include <string>

#include "report/console.h"
#include "state/build_state.h"

namespace typekiln {

/// One run of `typekiln <script> <output>`: runs the script, writes the font and, when the
/// script left reporting on, prints the widest and highest glyph. Returns the exit status: -1
/// without two arguments (nothing is read or written), 1 when any error was reported, else 0.
/// Nothing is written when the script cannot be opened or is no script, nor when the output is
/// the script or a picture it loaded. `--help` or `--version` alone prints that, returning 0.
int RunTool(BuildState& state, Console& console, int argc, const char* const argv[]);

/// Writes the font for the build state at `path`, whole or not at all, and reports, with the
/// path, "Cannot create", "Cannot write", or a font too large for its offsets.
void WriteFontAndReport(const BuildState& state, Console& console, const std::string& path);

}  // namespace typekiln
