#include "io/standard_streams.h"

#include <windows.h>

namespace typekiln {

// Windows gives every file the tool opens a handle of its own, never the place of a missing
// standard stream, so a script or a font cannot become one; a write to a missing stream fails
// quietly.
bool OpenMissingStandardStreams() { return true; }

// Only a console has a console mode. _isatty would also take NUL, the device build scripts give
// as standard input, for a terminal.
bool StandardInputIsTerminal() {
  DWORD mode = 0;
  return GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode) != 0;
}

}  // namespace typekiln
