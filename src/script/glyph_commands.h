#pragma once

// The commands that take glyphs from pictures: `LoadTGA` makes a file the picture, `[Font]` and
// `[Shadow]` choose the set that later grabs fill, and `Grab` cuts glyphs out. Each parses its
// line, asks the picture reader or the grabber, and reports what went wrong.

#include <functional>
#include <string>

#include "io/binary_file.h"
#include "report/console.h"
#include "state/build_state.h"

namespace typekiln {

/// `LoadTGA <path>`.
void HandleLoadTga(BuildState& state, Console& console, const ScriptLine& line);

/// Opens, as `file`, the picture a `LoadTGA` line names as `path`; leaves `file` closed when it
/// cannot, which the command then reports.
using PictureOpener = std::function<void(BinaryFile& file, const std::string& path)>;
/// `LoadTGA <path>` with the picture opened by `open` in place of the file the line names, and
/// so not looked for beside the script: for a picture held elsewhere than on the disk.
void LoadTgaThrough(BuildState& state, Console& console, const ScriptLine& line,
                    const PictureOpener& open);
/// `[Font]`: later grabs fill the face set.
void HandleFontSection(BuildState& state, Console& console, const ScriptLine& line);
/// `[Shadow]`: later grabs fill the shadow set.
void HandleShadowSection(BuildState& state, Console& console, const ScriptLine& line);
/// `Grab <x>,<y>,<count>`: up to `count` glyphs from the band at (x, y). Stops with a message
/// naming the line when the picture has no pixels, when the set is full, when no further glyph
/// is found or the glyph store is full, or with one naming the picture when its band cannot be
/// read.
void HandleGrab(BuildState& state, Console& console, const ScriptLine& line);

}  // namespace typekiln
