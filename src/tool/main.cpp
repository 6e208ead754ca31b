#include <cstdio>
#include <cstdlib>
#include <iostream>

#include "io/standard_streams.h"
#include "report/console.h"
#include "state/build_state.h"
#include "tool/tool.h"

int main(int argc, char* argv[]) {
  if (!typekiln::OpenMissingStandardStreams())
    return 1;
  typekiln::Console console{std::cout, std::cerr, std::cin};
  console.inputIsTerminal = typekiln::StandardInputIsTerminal();
  typekiln::BuildState state;
  const int status = typekiln::RunTool(state, console, argc, argv);
  typekiln::WaitOnceForErrors(console);
  if (TYPEKILN_RELEASE_AT_EXIT)
    return status;
  // The glyphs and the picture go back to the system with the process: freeing them first
  // would only cost time.
  std::cout.flush();
  std::cerr.flush();
  std::fflush(nullptr);
  std::_Exit(status);
}
