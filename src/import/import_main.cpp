#include <iostream>
#include <string>
#include <vector>

#include "import/import_tool.h"
#include "io/command_line.h"
#include "io/standard_streams.h"
#include "report/console.h"

int main(int argc, char* argv[]) {
  if (!typekiln::OpenMissingStandardStreams())
    return 1;
  typekiln::Console console{std::cout, std::cerr, std::cin};
  const std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
  return typekiln::RunImportTool(console, arguments, typekiln::ArgumentsAsUtf8(argc, argv));
}
