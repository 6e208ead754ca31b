// Arbitrary bytes as a script, run over a small picture of three glyphs with their shadows: once
// as typekiln runs it, and once watched as typekiln-inspect --check and --overlay watch it, with
// every picture's overlay drawn. Watching must not change the font.

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "fuzz_support.h"
#include "inspect/drawing/overlay.h"
#include "inspect/script_check/script_notes.h"

namespace {

// A 12 x 4 picture, bottom row first, with three glyphs in row 1 and their shadows in row 3.
std::vector<std::uint8_t> SmallPicture() {
  std::vector<std::uint8_t> file = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 12, 0, 4, 0, 32, 8};
  for (int row = 3; row >= 0; --row) {
    for (int column = 0; column < 12; ++column) {
      const bool ink = (row == 1 || row == 3) && column % 4 != 3 - row / 2;
      const std::uint8_t alpha = ink ? static_cast<std::uint8_t>(0x10 * (column + row)) : 0;
      file.insert(file.end(), {alpha, alpha, alpha, alpha});
    }
  }
  return file;
}

}  // namespace

void typekiln::fuzz::FuzzOne(const std::uint8_t* data, std::size_t size) {
  static const std::vector<std::uint8_t> picture = SmallPicture();
  const fuzz::MemoryFile file(picture);
  BuildState state;
  fuzz::RunScriptBytes(state, {data, size});
  fuzz::WriteAndCheckFont(state);

  OverlayRecorder recorder;
  BuildState watched;
  watched.observer = &recorder;
  fuzz::RunScriptBytes(watched, {data, size});
  const ScriptNotes notes = NotesOnRun(recorder.findings(), watched);
  // Every note is kept up to the cap, and past it one line counts the rest.
  if (notes.kept.size() != std::min(notes.found, NoteList::kMaxNotes + 1))
    std::abort();
  if (fuzz::FontBytes(watched) != fuzz::FontBytes(state)) {
    std::fprintf(stderr, "watching the run changed the font\n");
    std::abort();
  }
  // A script may load the picture thousands of times; a few drawings see every kind of band.
  const std::vector<CheckedPicture>& pictures = recorder.findings().pictures;
  for (std::size_t i = 0; i < std::min<std::size_t>(pictures.size(), 4); ++i) {
    const Canvas canvas = RenderOverlay(pictures[i], *recorder.alphas()[i], kOverlayZoom);
    if (canvas.width() > kMaxOverlaySide || canvas.height() > kMaxOverlaySide)
      std::abort();
  }
}
