#pragma once

// Runs a script: one command per line, the first word naming the command.
//
// A line is read as at most 127 characters; the rest of a longer physical line is read as a line
// of its own. A script is read as bytes, each a character of Latin-1, until a line says
// `Encoding UTF-8`: from then on each line is read as UTF-8 (a character counts once, whatever
// its bytes), and each of its characters up to U+00FF becomes the byte of its Latin-1 code
// before the line runs; a line with any other character, or with bytes that are not UTF-8, is an
// error, unless it is a comment. `Encoding Latin-1` turns back. Trailing blanks are removed: in a
// Latin-1 line any byte from 0x01 to 0x20 or from 0x80 to 0xFF, in a UTF-8 line ASCII blanks and
// U+00A0 only. A line that is then empty, or whose first word begins with "#", is skipped. The
// first word is looked up in the command table ignoring ASCII case, and the handler gets the
// trimmed line with its leading blanks. Words the table does not know are ignored silently (an
// observer hears of them). Lines are numbered from 1 as they are read, so a longer physical line
// takes one number for each piece (the line end alone, after a piece that filled the buffer,
// takes none).

#include <cstdio>
#include <string>
#include <string_view>

#include "report/console.h"
#include "script/command_table.h"
#include "state/build_state.h"

namespace typekiln {

/// Bytes of the line buffer: a read yields at most one less.
inline constexpr int kLineBufferSize = 128;
/// A first word longer than this is never a command.
inline constexpr std::size_t kMaxCommandWordLength = 63;

/// True for the bytes a script treats as blank around its words: 0x00 to 0x20 and 0x80 to 0xFF.
bool IsScriptBlank(char c);

/// The first word of `text`: the run of non-blank bytes after its leading blanks; empty when
/// `text` is all blank.
std::string_view NextWord(std::string_view text);

/// Removes the blank bytes at the end of `line`: in a UTF-8 script only ASCII blanks and U+00A0
/// (0xA0, as the line holds it then), so that an accented letter at the end stays.
void TrimLineEnd(std::string& line, ScriptEncoding encoding = ScriptEncoding::Latin1);

/// Trims one line as read from a script and, unless it is blank or a comment, hands it to the
/// handler of its command word.
void RunLine(BuildState& state, Console& console, ScriptLine line,
             const Command* table = kCommandTable);

/// Runs the script at `path` and adds it to the run's inputs. False, after "Cannot open", when
/// it cannot be opened (or names a folder), and when it is plainly no script (see
/// RunScriptStream); then no line of it runs. A read error ends the script with "Cannot read".
bool RunScript(BuildState& state, Console& console, const char* path,
               const Command* table = kCommandTable);

/// Runs the script already open as `script`; `path` names it in messages. Does not close it.
/// First its first 4096 bytes are read: when they start with a font's tags, or hold a NUL (a
/// picture, a font, a program), the file is no script; that is reported and nothing runs
/// (false).
bool RunScriptStream(BuildState& state, Console& console, std::FILE* script, const char* path,
                     const Command* table = kCommandTable);

}  // namespace typekiln
