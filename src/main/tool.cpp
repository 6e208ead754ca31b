#include "main/tool.h"

#include "font/font_writer.h"
#include "main/messages.h"
#include "script/script_reader.h"

namespace typekiln {

int RunTool(BuildState& state, Console& console, int argc, const char* const argv[]) {
  if (argc < 3) {
    ReportError(console, msg::kUsage);
    return -1;
  }
  RunScript(state, console, argv[1]);
  // Written whatever the script did, so a build always gets a font to look at.
  WriteFont(state, console, argv[2]);
  Verbose(state, console, msg::kWidest, state.widest);
  Verbose(state, console, msg::kHighest, state.highest);
  return console.sawError ? 1 : 0;
}

}  // namespace typekiln
