#pragma once

// The commands that set the font-wide values. Each reads its values from the line as scanf's
// "%s %d" (or "%s %d,%d", "%s %s") would, stores them and, while reporting is on, echoes what it
// stored. A line that lacks a value is reported and changes nothing, except for `MaxHeight` and
// `CharSet`, which then keep their value without a message.

#include <string>

#include "report/console.h"
#include "state/build_state.h"

namespace typekiln {

/// `Type Hor...` or `Type Ver...`: only the first three letters of the word count, in any case.
void HandleType(BuildState& state, Console& console, const ScriptLine& line);
/// `Gap <n>`: the low 8 bits of n; echoed as a signed byte.
void HandleGap(BuildState& state, Console& console, const ScriptLine& line);
/// `Space <n>`: the low 8 bits of n; echoed as a signed byte.
void HandleSpace(BuildState& state, Console& console, const ScriptLine& line);
/// `Drop <x>,<y>`: the comma follows x directly; blanks may follow it.
void HandleDrop(BuildState& state, Console& console, const ScriptLine& line);
/// `Report`: switches reporting on or off, from the next message on.
void HandleReport(BuildState& state, Console& console, const ScriptLine& line);
/// `MaxHeight <n>`: rows of the band every later `Grab` scans.
void HandleMaxHeight(BuildState& state, Console& console, const ScriptLine& line);
/// `CharSet <characters>`: one word; byte i is the code of face i. Bytes past the new
/// word's terminator keep what an earlier, longer `CharSet` left there.
void HandleCharSet(BuildState& state, Console& console, const ScriptLine& line);

/// `Encoding UTF-8` or `Encoding Latin-1`, either case: how the lines after it are read.
void HandleEncoding(BuildState& state, Console& console, const ScriptLine& line);

}  // namespace typekiln
