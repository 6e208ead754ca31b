#pragma once

// Whether a build's glyphs fit the font table's one-byte fields, for the tests and fuzz targets
// that read a written font back: a glyph that does not cannot come back as it was grabbed.

#include "font/font_format.h"
#include "state/build_state.h"

namespace typekiln::test {

/// True when the glyph's width, height and top fit the table's one-byte fields (a stride of 256
/// does not: its byte is 0, which a reader takes as 256 for a glyph 249 to 255 wide).
inline bool FitsOneByteFields(const Glyph& glyph) {
  return glyph.width <= kMaxByteField && glyph.height <= kMaxByteField &&
         glyph.top <= kMaxByteField;
}

/// True when every face and shadow of the build fits.
inline bool AllFitOneByteFields(const BuildState& state) {
  for (const GlyphSet* set : {&state.faceSet, &state.shadowSet}) {
    for (int i = 0; i < set->count; ++i) {
      if (!FitsOneByteFields(set->glyphs[static_cast<std::size_t>(i)]))
        return false;
    }
  }
  return true;
}

}  // namespace typekiln::test
