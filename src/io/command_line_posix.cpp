#include "io/command_line.h"

namespace typekiln {

std::vector<Argument> CommandLineArguments(int argc, char* argv[]) {
  std::vector<Argument> arguments;
  for (int i = 1; i < argc; ++i) arguments.push_back({argv[i], argv[i]});
  return arguments;
}

}  // namespace typekiln
