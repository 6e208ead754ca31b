#pragma once

// PNG files read back in the tests, to see what typekiln-inspect drew.

#include <optional>
#include <string>

#include "inspect/drawing/canvas.h"

namespace typekiln::test {

/// Reads a PNG file of any colour type into a canvas (alpha dropped); nothing when it cannot be
/// read or is not a PNG.
std::optional<Canvas> ReadPng(const std::string& path);

}  // namespace typekiln::test
