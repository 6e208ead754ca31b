#include "tool/tool.h"

#include <algorithm>
#include <optional>
#include <string_view>

#include "font/font_writer.h"
#include "io/file_identity.h"
#include "report/messages.h"
#include "script/script_reader.h"

namespace typekiln {

namespace {

// True when the font would take the place of a file the run read.
bool WritesOverInput(const BuildState& state, const char* output) {
  const std::optional<FileIdentity> written = IdentifyFile(output);
  return written &&
         std::find(state.inputs.begin(), state.inputs.end(), *written) != state.inputs.end();
}

}  // namespace

int RunTool(BuildState& state, Console& console, int argc, const char* const argv[]) {
  if (argc == 2 && argv[1] == std::string_view("--help")) {
    Say(console.out, "%s", msg::kHelp);
    return 0;
  }
  if (argc == 2 && argv[1] == std::string_view("--version")) {
    Say(console.out, msg::kVersion, TYPEKILN_VERSION);
    return 0;
  }
  if (argc < 3) {
    ReportError(console, msg::kUsage);
    return -1;
  }
  // A script that is missing or no script at all leaves nothing worth a font: an old font at the
  // output stays as it was.
  if (!RunScript(state, console, argv[1]))
    return 1;
  // The font is written whatever the script's lines did, so a build always gets a font to look
  // at; but never over the script or a picture, which could not be made again.
  if (WritesOverInput(state, argv[2]))
    ReportError(console, msg::kWillNotOverwrite, argv[2]);
  else
    WriteFont(state, console, argv[2]);
  Verbose(state, console, msg::kWidest, state.widest);
  Verbose(state, console, msg::kHighest, state.highest);
  return console.sawError ? 1 : 0;
}

}  // namespace typekiln
