// Arbitrary bytes as a font file, read back and shown the ways typekiln-inspect shows one: the
// listing, every glyph as text, a comparison with itself and with an empty font, and the preview.

#include <algorithm>
#include <sstream>

#include "fuzz_support.h"
#include "inspect/drawing/font_preview.h"
#include "inspect/font_file/font_inspector.h"
#include "inspect/font_file/font_reader.h"

void typekiln::fuzz::FuzzOne(const std::uint8_t* data, std::size_t size) {
  const FontFile font = ReadFont({data, size});
  std::ostringstream out;
  PrintListing(out, "fuzz", font);
  // What goes over every sample is done for glyphs up to 64 pixels: 256 bitmaps at the format's
  // largest are 16 million samples per input, slow enough to starve the run.
  const auto small = [](const FontBitmap& bitmap) {
    return bitmap.width <= 64 && bitmap.height <= 64 && bitmap.top <= 64;
  };
  if (!std::all_of(font.entries.begin(), font.entries.end(), [&](const FontEntry& entry) {
        return small(entry.face) && small(entry.shadow);
      }))
    return;
  for (int i = 0; i < static_cast<int>(font.entries.size()); ++i) PrintGlyph(out, font, i);
  if (PrintDiff(out, font, "a", font, "b") && font.hasHeader)
    std::abort();  // a font differs from itself
  PrintDiff(out, font, "a", ReadFont({}), "b");
  RenderPreview(font, 2);
}
