#include "script/command_table.h"

#include "script/glyph_commands.h"
#include "script/setting_commands.h"

namespace typekiln {

const Command kCommandTable[] = {
    {"[Font]", HandleFontSection},
    {"[Shadow]", HandleShadowSection},
    {"LoadTGA", HandleLoadTga},
    {"Grab", HandleGrab},
    {"Type", HandleType},
    {"Gap", HandleGap},
    {"Space", HandleSpace},
    {"Drop", HandleDrop},
    {"Report", HandleReport},
    {"MaxHeight", HandleMaxHeight},
    {"CharSet", HandleCharSet},
    {"Encoding", HandleEncoding},
    {nullptr, nullptr},
};

char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size())
    return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (AsciiLower(a[i]) != AsciiLower(b[i]))
      return false;
  }
  return true;
}

const Command* FindCommand(const Command* table, std::string_view word) {
  for (const Command* entry = table; entry->keyword != nullptr; ++entry) {
    if (EqualsIgnoringAsciiCase(entry->keyword, word))
      return entry;
  }
  return nullptr;
}

}  // namespace typekiln
