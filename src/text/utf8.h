#pragma once

// UTF-8, as the tools read it wherever text may come from an editor or a command line: scripts
// that say `Encoding UTF-8`, typekiln-import's --chars, typekiln-inspect's TEXT, a BMFont's XML
// entities. Only well-formed UTF-8 is a character: no overlong form, no surrogate, nothing past
// U+10FFFF, no sequence cut short. A typekiln font holds Latin-1 codes, so a character up to
// U+00FF is taken as the byte of its code.

#include <cstddef>
#include <string>
#include <string_view>

namespace typekiln {

/// The character that starts at byte `at` of `text`, and its length in bytes: length 0 for a
/// byte that starts no well-formed UTF-8 character.
struct Utf8Character {
  char32_t code = 0;
  std::size_t length = 0;
};
Utf8Character DecodeUtf8(std::string_view text, std::size_t at);

/// True when all of `text` is well-formed UTF-8 (ASCII is).
bool IsUtf8(std::string_view text);

/// `text` with each character as the Latin-1 byte of its code. False when it holds a character
/// above U+00FF or bytes that are not UTF-8; `latin1` then holds what came before.
bool Utf8ToLatin1(std::string_view text, std::string& latin1);

/// Appends the UTF-8 form of `code`, which must be U+10FFFF or below.
void AppendUtf8(char32_t code, std::string& out);

/// `text` with every byte from 0x80 up written as \xNN, as the tools show bytes of a script.
std::string EscapeHighBytes(std::string_view text);

}  // namespace typekiln
