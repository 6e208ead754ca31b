#include "sheet_check.h"

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <span>

#include "fuzz_support.h"
#include "import/import_messages.h"
#include "import/sheet/tga_encoder.h"
#include "report/console.h"
#include "script/glyph_commands.h"

namespace typekiln::fuzz {

void CheckImportedFont(const ImportedFont& font, const std::vector<std::uint8_t>& asked) {
  if (font.glyphs.size() + font.missing.size() != asked.size())
    std::abort();
  for (const ImportedGlyph& glyph : font.glyphs) {
    if (glyph.width < 0 || glyph.height < 0 ||
        glyph.samples.size() != static_cast<std::size_t>(glyph.width) * glyph.height)
      std::abort();
    for (const std::uint8_t sample : glyph.samples)
      if (sample > 15)
        std::abort();
  }
}

void CheckSheet(const ImportedFont& font, const SheetOptions& options) {
  Sheet sheet;
  if (const Failure failure = DrawSheet(font, "fuzz", options, "# fuzz\n", sheet);
      failure.Failed()) {
    if (failure.message() != Format(msg::kImportOutsideSheet, "fuzz"))
      return;
    std::fprintf(stderr, "a pixel of the sheet fell outside its picture\n");
    std::abort();
  }
  const MemoryFile faces(EncodeTga(sheet.faces), kPictureDescriptor);
  std::optional<MemoryFile> shadows;
  if (options.shadow == ShadowStyle::Outline)
    shadows.emplace(EncodeTga(sheet.shadows), kSecondPictureDescriptor);
  BuildState state;
  const bool clean = RunScriptBytes(
      state,
      std::span(reinterpret_cast<const std::uint8_t*>(sheet.script.data()), sheet.script.size()),
      [](BuildState& built, Console& console, const ScriptLine& line) {
        LoadTgaThrough(built, console, line, [](BinaryFile& file, const std::string& name) {
          file.OpenRead(name == kShadowsFile ? kSecondPicturePath : kPicturePath);
        });
      });
  const auto glyphs = static_cast<int>(font.glyphs.size());
  if (!clean || state.faceSet.count != glyphs ||
      state.shadowSet.count != (options.shadow == ShadowStyle::Outline ? glyphs : 0)) {
    std::fprintf(stderr, "the sheet does not build into its %d glyphs:\n%s", glyphs,
                 sheet.script.c_str());
    std::abort();
  }
}

}  // namespace typekiln::fuzz
