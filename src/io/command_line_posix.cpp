#include "io/command_line.h"

namespace typekiln {

std::vector<Argument> CommandLineArguments(int argc, char* argv[]) {
  return ArgumentsOf(argc, argv);
}

}  // namespace typekiln
