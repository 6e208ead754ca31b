#include "io/standard_streams.h"

namespace typekiln {

// Windows gives every file the tool opens a handle of its own, never the place of a missing
// standard stream, so a script or a font cannot become one; a write to a missing stream fails
// quietly.
bool OpenMissingStandardStreams() { return true; }

}  // namespace typekiln
