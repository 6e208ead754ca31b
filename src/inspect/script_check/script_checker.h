#pragma once

// A check of a script: a run of it as typekiln runs it, watched by a ScriptRecorder, and the
// notes on what the recorder found. typekiln-inspect --check prints the notes; --overlay prints
// them too and draws what was found.

#include <optional>
#include <string>

#include "inspect/script_check/script_notes.h"
#include "inspect/script_check/script_recorder.h"
#include "report/console.h"

namespace typekiln {

/// Runs the script at `path` as typekiln does, with `recorder` watching, and writes nothing.
/// Messages print on `console` as typekiln prints them but never wait for a key. Returns the
/// notes on the run, or nothing when the script cannot be opened or is no script (typekiln
/// would not run it either).
std::optional<ScriptNotes> CheckScript(Console& console, const std::string& path,
                                       ScriptRecorder& recorder);

}  // namespace typekiln
