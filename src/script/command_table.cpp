#include "script/command_table.h"

#include "script/glyph_commands.h"
#include "script/setting_commands.h"
#include "text/ascii.h"

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

const Command* FindCommand(const Command* table, std::string_view word) {
  for (const Command* entry = table; entry->keyword != nullptr; ++entry) {
    if (EqualsIgnoringAsciiCase(entry->keyword, word))
      return entry;
  }
  return nullptr;
}

}  // namespace typekiln
