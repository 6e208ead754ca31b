#pragma once

// What the import's fuzz targets check of a font they read: the sheet typekiln-import draws from
// it holds every pixel it lays out, and builds, in memory, into the font it promises.

#include <cstdint>
#include <vector>

#include "import/imported_font.h"
#include "import/sheet/font_sheet.h"

namespace typekiln::fuzz {

/// Ends the run unless `font`, read from `asked` codes, holds each of them once, as a glyph or as
/// missing, with samples that fit its bitmap and lie from 0 to 15.
void CheckImportedFont(const ImportedFont& font, const std::vector<std::uint8_t>& asked);

/// Draws the sheet of `font` with `options`. Ends the run when a pixel falls outside the
/// pictures, or when a sheet that draws does not build, through the tool's script reader and
/// grabber, into one face for each glyph of the font (and one shadow, for an outline), without an
/// error.
void CheckSheet(const ImportedFont& font, const SheetOptions& options);

}  // namespace typekiln::fuzz
