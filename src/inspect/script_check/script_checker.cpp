#include "inspect/script_check/script_checker.h"

#include <sstream>

#include "report/messages.h"
#include "script/script_reader.h"

namespace typekiln {

std::optional<ScriptNotes> CheckScript(Console& console, const std::string& path,
                                       ScriptRecorder& recorder) {
  std::istringstream noKeys;  // the waits after errors find no key and go on at once
  Console quiet{console.out, console.err, noKeys};
  BuildState state;
  state.observer = &recorder;
  const bool ran = RunScript(state, quiet, path.c_str());
  state.observer = nullptr;
  console.sawError = console.sawError || quiet.sawError;
  if (!ran)
    return std::nullopt;
  ScriptNotes notes = NotesOnRun(recorder.findings(), state);
  Verbose(quiet, state.verbose, msg::kWidest, state.widest);
  Verbose(quiet, state.verbose, msg::kHighest, state.highest);
  return notes;
}

}  // namespace typekiln
