#include "io/command_line.h"

namespace typekiln {

std::vector<std::string> ArgumentsAsUtf8(int argc, char* argv[]) {
  return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

}  // namespace typekiln
