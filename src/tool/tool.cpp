#include "tool/tool.h"

#include <algorithm>
#include <optional>
#include <string_view>

#include "font/font_format.h"
#include "io/binary_file.h"
#include "io/command_line.h"
#include "io/file_identity.h"
#include "picture/png_picture.h"
#include "report/messages.h"
#include "script/script_reader.h"
#include "writer/font_writer.h"

namespace typekiln {

namespace {

// True when the font would take the place of a file the run read.
bool WritesOverInput(const BuildState& state, const char* output) {
  const std::optional<FileIdentity> written = IdentifyFile(output);
  return written &&
         std::find(state.inputs.begin(), state.inputs.end(), *written) != state.inputs.end();
}

}  // namespace

void WriteFontAndReport(const BuildState& state, Console& console, const std::string& path) {
  if (const Failure failure = WriteFont(state, path); failure.Failed())
    ReportError(console, "%s", failure.message().c_str());
}

int RunTool(BuildState& state, Console& console, int argc, const char* const argv[]) {
  const std::vector<Argument> arguments = ArgumentsOf(argc, argv);
  // --help and --version stand alone. Any other words are the script and the font, in that
  // order, whatever they look like, and words after them are passed over: a build script may
  // name its files as it likes.
  if (SaidHelpOrVersion(console.out, arguments, nullptr,
                        Format(msg::kTwoLines, msg::kUsage, msg::kHelp),
                        Format(msg::kVersion, TYPEKILN_VERSION, PngLibraries().c_str())))
    return 0;
  if (arguments.size() < 2) {
    ReportError(console, msg::kUsage);
    return -1;
  }
  const char* script = arguments[0].native.c_str();
  const char* output = arguments[1].native.c_str();
  // A script that is missing or no script at all leaves nothing worth a font: an old font at the
  // output stays as it was.
  if (!RunScript(state, console, script))
    return 1;
  // The font is written whatever the script's lines did, so a build always gets a font to look
  // at; but never over the script or a picture, which could not be made again.
  if (WritesOverInput(state, output))
    ReportError(console, msg::kWillNotOverwrite, output);
  // Nor over a file of any other kind: someone's work, or another tool's font of that name.
  else if (!MayTakePlaceOf(output, std::string_view(kFontTags, sizeof kFontTags - 1)))
    ReportError(console, msg::kWillNotOverwriteOther, output);
  else
    WriteFontAndReport(state, console, output);
  Verbose(console, state.verbose, msg::kWidest, state.widest);
  Verbose(console, state.verbose, msg::kHighest, state.highest);
  return console.sawError ? 1 : 0;
}

}  // namespace typekiln
