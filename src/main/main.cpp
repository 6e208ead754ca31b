#include <iostream>

#include "io/standard_streams.h"
#include "main/console.h"
#include "main/tool.h"
#include "state/build_state.h"

int main(int argc, char* argv[]) {
  if (!typekiln::OpenMissingStandardStreams())
    return 1;
  typekiln::Console console{std::cout, std::cerr, std::cin};
  typekiln::BuildState state;
  return typekiln::RunTool(state, console, argc, argv);
}
