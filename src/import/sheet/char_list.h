#pragma once

// The characters typekiln-import draws: a UTF-8 text of characters from U+0021 to U+00FF, each
// taken as its Latin-1 code, the code the font file gives its entry. A script's CharSet is one
// word on one line of at most 127 characters, so it holds at most 119 codes after "CharSet ". A
// script with a code from 0x80 up is written in UTF-8, whose lines count characters.

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "report/failure.h"
#include "script/script_reader.h"

namespace typekiln {

/// What the script needs besides the codes: "CharSet ", then the codes, and after a last code of
/// U+00A0, which a UTF-8 line's end loses as a blank, a blank and "#".
inline constexpr char kCharSetCommand[] = "CharSet ";
inline constexpr char kCharSetKept[] = " #";
inline constexpr int kMaxCharSetCodes = kLineBufferSize - 1 - (sizeof kCharSetCommand - 1);

/// Printable ASCII, '!' to '~': what is drawn when no characters are named.
std::vector<std::uint8_t> DefaultCharList();

/// How many codes a CharSet line holds when `last` is its last code: 119, and 2 fewer for
/// U+00A0, which needs kCharSetKept after it.
int CharSetLimit(std::uint8_t last);

/// Decodes `text`, the value of --chars, into `codes`, each character once: one given again goes
/// into `repeated`, once. It fails when the text is not UTF-8, holds a character outside U+0021
/// to U+00FF, is empty, or holds more codes than one CharSet line can carry.
Failure ParseCharList(std::string_view text, std::vector<std::uint8_t>& codes,
                      std::vector<std::uint8_t>& repeated);

}  // namespace typekiln
