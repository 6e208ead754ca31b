#include "tool/tool.h"

#include <algorithm>
#include <optional>
#include <string_view>

#include "font/font_format.h"
#include "io/binary_file.h"
#include "io/file_identity.h"
#include "picture/png_picture.h"
#include "report/messages.h"
#include "script/script_reader.h"
#include "writer/font_writer.h"

namespace typekiln {

namespace {

// The message for a font that could not be written, formatted with its path.
const char* WriteFailureMessage(WriteResult result) {
  switch (result) {
    case WriteResult::TooLarge:
      return msg::kFontTooLarge;
    case WriteResult::CannotCreate:
      return msg::kCannotCreate;
    case WriteResult::CannotWrite:
      return msg::kCannotWrite;
    case WriteResult::Written:
      break;
  }
  return nullptr;
}

// True when the font would take the place of a file the run read.
bool WritesOverInput(const BuildState& state, const char* output) {
  const std::optional<FileIdentity> written = IdentifyFile(output);
  return written &&
         std::find(state.inputs.begin(), state.inputs.end(), *written) != state.inputs.end();
}

}  // namespace

void WriteFontAndReport(const BuildState& state, Console& console, const std::string& path) {
  if (const WriteResult result = WriteFont(state, path); result != WriteResult::Written)
    ReportError(console, WriteFailureMessage(result), path.c_str());
}

int RunTool(BuildState& state, Console& console, int argc, const char* const argv[]) {
  if (argc == 2 && argv[1] == std::string_view("--help")) {
    Say(console.out, msg::kTwoLines, msg::kUsage, msg::kHelp);
    return 0;
  }
  if (argc == 2 && argv[1] == std::string_view("--version")) {
    Say(console.out, msg::kVersion, TYPEKILN_VERSION, PngLibraries().c_str());
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
  // Nor over a file of any other kind: someone's work, or another tool's font of that name.
  else if (!MayTakePlaceOf(argv[2], std::string_view(kFontTags, sizeof kFontTags - 1)))
    ReportError(console, msg::kWillNotOverwriteOther, argv[2]);
  else
    WriteFontAndReport(state, console, argv[2]);
  Verbose(console, state.verbose, msg::kWidest, state.widest);
  Verbose(console, state.verbose, msg::kHighest, state.highest);
  return console.sawError ? 1 : 0;
}

}  // namespace typekiln
