#pragma once

// What typekiln-inspect prints about fonts that the reader has parsed: a listing of the header
// and table with the problems found, a glyph's bitmaps as text, and the differences between two
// fonts. Every text comes from inspect_messages.h.

#include <ostream>
#include <string>

#include "inspect/font_file/font_reader.h"

namespace typekiln {

/// The character code as the listing shows it: printable ASCII as itself, else \xNN.
std::string CharacterName(std::uint8_t code);

/// The header line, one row per entry, the unnamed bytes after the last block, then the
/// problems (or that there are none).
void PrintListing(std::ostream& out, const std::string& name, const FontFile& font);

/// Entry `index`'s face and shadow, upright, one character per sample: '.' for 0, then 1 to 9
/// and A to F; '?' where the file holds no sample. The caller checks the index.
void PrintGlyph(std::ostream& out, const FontFile& font, int index);

/// Prints what differs from `before` to `after` (named `beforeName` and `afterName`): header
/// fields, entries only in one of them, and per entry the table fields (offsets aside) and the
/// count of samples that differ, compared upright. Returns whether anything differs.
bool PrintDiff(std::ostream& out, const FontFile& before, const std::string& beforeName,
               const FontFile& after, const std::string& afterName);

}  // namespace typekiln
