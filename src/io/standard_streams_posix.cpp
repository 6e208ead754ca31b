#include "io/standard_streams.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace typekiln {

bool OpenMissingStandardStreams() {
  for (int stream = 0; stream <= 2; ++stream) {
    if (fcntl(stream, F_GETFD) >= 0 || errno != EBADF)
      continue;
    // The lowest free number is the one that is missing: those below it are open by now.
    if (open("/dev/null", stream == 0 ? O_RDONLY : O_WRONLY) != stream)
      return false;
  }
  return true;
}

bool StandardInputIsTerminal() { return isatty(0) != 0; }

}  // namespace typekiln
