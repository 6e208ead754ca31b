#pragma once

// The characters typekiln-import draws: a UTF-8 text of characters from U+0021 to U+00FF, each
// taken as its Latin-1 code, the code the font file gives its entry. A script's CharSet is one
// word on one line of at most 127 characters, so it holds at most 119 codes after "CharSet ",
// and a code from 0x80 up that ends the line needs a comment after it to survive the trimming
// of blanks at the line's end.

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "script/script_reader.h"

namespace typekiln {

/// What the script needs besides the codes: "CharSet ", the codes, and for a last code from
/// 0x80 up, a tab and "#".
inline constexpr char kCharSetCommand[] = "CharSet ";
inline constexpr char kCharSetGuard[] = "\t#";
inline constexpr int kMaxCharSetCodes = kLineBufferSize - 1 - (sizeof kCharSetCommand - 1);

enum class CharListProblem { None, NotUtf8, OutOfRange, Repeated, Empty, TooMany };

struct CharListFailure {
  CharListProblem problem = CharListProblem::None;
  char32_t character = 0;  // the character out of range, or the one repeated
  int position = 0;        // its place in the text, counting characters from 1
  int count = 0;           // TooMany: how many characters the text holds
  int limit = 0;           // TooMany: how many fit
};

/// Printable ASCII, '!' to '~': what is drawn when no characters are named.
std::vector<std::uint8_t> DefaultCharList();

/// Decodes `text` into `codes`. False, with `failure` saying why, when it is not UTF-8, holds a
/// character outside U+0021 to U+00FF or one twice, is empty, or holds more codes than one
/// CharSet line can carry.
bool ParseCharList(std::string_view text, std::vector<std::uint8_t>& codes,
                   CharListFailure& failure);

/// How many codes a CharSet line can carry when `last` is its last code.
int CharSetLimit(std::uint8_t last);

}  // namespace typekiln
