#include <iostream>

#include "main/console.h"
#include "main/inspect_tool.h"

int main(int argc, char* argv[]) {
  typekiln::Console console{std::cout, std::cerr, std::cin};
  return typekiln::RunInspect(console, argc, argv);
}
