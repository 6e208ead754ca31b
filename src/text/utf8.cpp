#include "text/utf8.h"

#include <cstdint>
#include <cstdio>

namespace typekiln {

Utf8Character DecodeUtf8(std::string_view text, std::size_t at) {
  const auto lead = static_cast<std::uint8_t>(text[at]);
  if (lead < 0x80)
    return {lead, 1};
  // The bytes a lead byte needs after it, and the range the first of them must lie in, which
  // rules out overlong forms, surrogates and what lies past U+10FFFF.
  const std::size_t extra = lead >= 0xC2 && lead <= 0xDF   ? 1
                            : lead >= 0xE0 && lead <= 0xEF ? 2
                            : lead >= 0xF0 && lead <= 0xF4 ? 3
                                                           : 0;
  if (extra == 0 || extra > text.size() - at - 1)
    return {};  // no such lead byte, or a sequence cut short
  std::uint8_t low = lead == 0xE0 ? 0xA0 : lead == 0xF0 ? 0x90 : 0x80;
  std::uint8_t high = lead == 0xED ? 0x9F : lead == 0xF4 ? 0x8F : 0xBF;
  char32_t code = lead & (0x3Fu >> extra);
  for (std::size_t i = 1; i <= extra; ++i) {
    const auto next = static_cast<std::uint8_t>(text[at + i]);
    if (next < low || next > high)
      return {};
    code = code << 6 | (next & 0x3Fu);
    low = 0x80, high = 0xBF;
  }
  return {code, 1 + extra};
}

bool IsUtf8(std::string_view text) {
  for (std::size_t at = 0; at < text.size();) {
    const Utf8Character character = DecodeUtf8(text, at);
    if (character.length == 0)
      return false;
    at += character.length;
  }
  return true;
}

bool Utf8ToLatin1(std::string_view text, std::string& latin1) {
  latin1.clear();
  for (std::size_t at = 0; at < text.size();) {
    const Utf8Character character = DecodeUtf8(text, at);
    if (character.length == 0 || character.code > 0xFF)
      return false;
    latin1 += static_cast<char>(character.code);
    at += character.length;
  }
  return true;
}

void AppendUtf8(char32_t code, std::string& out) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | code >> 6);
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | code >> 12);
    out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | code >> 18);
    out += static_cast<char>(0x80 | (code >> 12 & 0x3F));
    out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

std::string EscapeHighBytes(std::string_view text) {
  std::string escaped;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x80) {
      escaped += c;
      continue;
    }
    char hex[5];
    std::snprintf(hex, sizeof hex, "\\x%02X", byte);
    escaped += hex;
  }
  return escaped;
}

}  // namespace typekiln
