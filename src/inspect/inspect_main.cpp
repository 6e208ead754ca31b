#include <iostream>

#include "inspect/inspect_tool.h"
#include "io/standard_streams.h"
#include "report/console.h"

int main(int argc, char* argv[]) {
  if (!typekiln::OpenMissingStandardStreams())
    return 2;
  typekiln::Console console{std::cout, std::cerr, std::cin};
  return typekiln::RunInspectTool(console, argc, argv);
}
