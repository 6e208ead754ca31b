#pragma once

// PNG files: 8-bit red, green, blue and alpha, rows from the top. The whole file is built in
// memory before it is written.

#include <string>

#include "inspect/drawing/canvas.h"

namespace typekiln {

/// Writes the canvas as a PNG file at `path`, whole or not at all, as fonts are written. False
/// when the file cannot be created or written.
bool WritePng(const Canvas& canvas, const std::string& path);

}  // namespace typekiln
