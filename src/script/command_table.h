#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "main/console.h"
#include "state/build_state.h"

namespace typekiln {

/// A script command. It receives the whole trimmed line, its command word included, and parses
/// its own arguments from it.
using CommandHandler = void (*)(BuildState& state, Console& console, const std::string& line);

struct Command {
  const char* keyword;
  CommandHandler handler;
};

/// The script's commands, in lookup order, ended by an entry with neither keyword nor handler.
extern const Command kCommandTable[];

/// True when the two texts are equal, ignoring the case of ASCII letters only (the match must not
/// depend on the locale).
bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b);

/// The handler of the first entry of `table` whose keyword equals `word` ignoring case, or
/// nullptr.
CommandHandler FindCommand(const Command* table, std::string_view word);

/// A copy of `table`, its end entry included, with each handler that is the first of a pair in
/// `replacements` replaced by the second: the same commands, some of them wrapped.
std::vector<Command> TableReplacing(
    const Command* table,
    const std::vector<std::pair<CommandHandler, CommandHandler>>& replacements);

}  // namespace typekiln
