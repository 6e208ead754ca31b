#include <iostream>

#include "main/console.h"
#include "main/tool.h"
#include "state/build_state.h"

int main(int argc, char* argv[]) {
  typekiln::Console console{std::cout, std::cerr, std::cin};
  typekiln::BuildState state;
  return typekiln::RunTool(state, console, argc, argv);
}
