#include <iostream>

#include "io/standard_streams.h"
#include "main/console.h"
#include "main/inspect_tool.h"

int main(int argc, char* argv[]) {
  if (!typekiln::OpenMissingStandardStreams())
    return 2;
  typekiln::Console console{std::cout, std::cerr, std::cin};
  return typekiln::RunInspect(console, argc, argv);
}
