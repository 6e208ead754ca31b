#pragma once

#include "report/console.h"

namespace typekiln {

/// One run of typekiln-inspect: `FONT [--glyph N]`, `--diff OLD NEW`, `--preview`, `--overlay`,
/// `--render` or `--help`. Prints on `console.out`, errors on `console.err` without waiting for
/// a key. Returns 0 for a well-formed font or two equal fonts, 1 when problems or differences
/// were found (or the game runtime refuses the font), 2 for a file that cannot be read or
/// written or arguments that make no sense.
int RunInspectTool(Console& console, int argc, const char* const argv[]);

}  // namespace typekiln
