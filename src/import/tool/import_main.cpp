#include <iostream>

#include "import/tool/import_tool.h"
#include "io/command_line.h"
#include "io/standard_streams.h"
#include "report/console.h"

int main(int argc, char* argv[]) {
  if (!typekiln::OpenMissingStandardStreams())
    return 1;
  typekiln::Console console{std::cout, std::cerr, std::cin};
  return typekiln::RunImportTool(console, typekiln::CommandLineArguments(argc, argv));
}
