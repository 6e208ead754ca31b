#pragma once

#include <string>
#include <string_view>

#include "report/console.h"
#include "state/build_state.h"

namespace typekiln {

/// A script command. It receives the whole trimmed line, its command word included, and parses
/// its own arguments from it; the line's number is for whoever watches the run.
using CommandHandler = void (*)(BuildState& state, Console& console, const ScriptLine& line);

struct Command {
  const char* keyword;
  CommandHandler handler;
};

/// The script's commands, in lookup order, ended by an entry with neither keyword nor handler.
extern const Command kCommandTable[];

/// The first entry of `table` whose keyword equals `word` ignoring case, or nullptr.
const Command* FindCommand(const Command* table, std::string_view word);

}  // namespace typekiln
