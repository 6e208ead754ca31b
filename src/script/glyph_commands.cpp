#include "script/glyph_commands.h"

#include <string>

#include "glyph/grabber.h"
#include "io/file_system.h"
#include "picture/tga_picture.h"
#include "report/messages.h"
#include "script/line_scanner.h"

namespace typekiln {

namespace {

// Where the picture a script names is: the path as it stands, or, when that is relative and
// names nothing where typekiln runs, the same path from the script's folder if something is
// there. A script run from another folder so finds the pictures beside it.
std::string FindPicture(const BuildState& state, const std::string& named) {
  if (state.scriptFolder.empty() || !IsRelativePath(named) ||
      LookAtPath(named, true).kind != EntryKind::Missing)
    return named;
  const std::string beside = InFolder(state.scriptFolder, named);
  return LookAtPath(beside, true).kind == EntryKind::Missing ? named : beside;
}

// `LoadTGA <path>`, the picture opened by `open`, or, without one, from the disk: the file the
// line names, or the one beside the script.
void LoadTga(BuildState& state, Console& console, const ScriptLine& line,
             const PictureOpener* open) {
  LineScanner scan(line.text);
  std::string named;
  if (!(scan.Word() && scan.Word(&named)))
    return ReportError(console, msg::kMissingValue, line.text.c_str());
  Verbose(console, state.verbose, msg::kLoading, named.c_str());
  const std::string path = open != nullptr ? named : FindPicture(state, named);
  // Also a picture that fails to load is the artist's: the font must not replace it.
  RememberInput(state, path);
  BinaryFile file;
  if (open != nullptr)
    (*open)(file, path);
  else
    file.OpenRead(path);
  if (const Failure failure = ReadTgaPicture(state.picture, path, std::move(file));
      failure.Failed())
    return ReportError(console, "%s", failure.message().c_str());
  if (state.observer != nullptr)
    state.observer->PictureLoaded(line, state.picture);
}

}  // namespace

void HandleLoadTga(BuildState& state, Console& console, const ScriptLine& line) {
  LoadTga(state, console, line, nullptr);
}

void LoadTgaThrough(BuildState& state, Console& console, const ScriptLine& line,
                    const PictureOpener& open) {
  LoadTga(state, console, line, &open);
}

void HandleFontSection(BuildState& state, Console&, const ScriptLine&) {
  state.section = Section::Faces;
}

void HandleShadowSection(BuildState& state, Console&, const ScriptLine&) {
  state.section = Section::Shadows;
}

namespace {

// Reads the values of `Grab <x>,<y>,<count>`, the commas following the numbers directly. False
// when any is missing.
bool ScanGrab(const std::string& line, std::int32_t& x, std::int32_t& y, std::int32_t& count) {
  LineScanner scan(line);
  return scan.Word() && scan.Number(&x) && scan.Literal(',') && scan.Number(&y) &&
         scan.Literal(',') && scan.Number(&count);
}

// The message for a run of grabs that stopped early, formatted with the line.
const char* GrabStopMessage(GrabStop stop) {
  switch (stop) {
    case GrabStop::NoPicture:
      return msg::kNoPicture;
    case GrabStop::SetFull:
      return msg::kTooManyGlyphs;
    case GrabStop::NotFound:
      return msg::kGlyphNotFound;
    case GrabStop::OutOfMemory:
      return msg::kGlyphTooLarge;
    case GrabStop::None:
    case GrabStop::PictureUnreadable:
      break;
  }
  return nullptr;
}

}  // namespace

void HandleGrab(BuildState& state, Console& console, const ScriptLine& line) {
  GlyphSet* set = state.section == Section::Faces     ? &state.faceSet
                  : state.section == Section::Shadows ? &state.shadowSet
                                                      : nullptr;
  if (set == nullptr)
    return ReportError(console, msg::kUnknownState, line.text.c_str());
  std::int32_t x = 0;
  std::int32_t y = 0;
  std::int32_t count = 0;
  if (!ScanGrab(line.text, x, y, count))
    return ReportError(console, msg::kMissingValue, line.text.c_str());
  const GrabOutcome outcome = GrabGlyphs(state, *set, x, y, count);
  if (outcome.stop == GrabStop::PictureUnreadable)
    ReportError(console, "%s", outcome.picture.message().c_str());
  else if (outcome.stop != GrabStop::None)
    ReportError(console, GrabStopMessage(outcome.stop), line.text.c_str());
}

}  // namespace typekiln
