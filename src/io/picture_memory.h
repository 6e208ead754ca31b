#pragma once

// Large blocks of memory straight from the system, for picture buffers of hundreds of megabytes
// that are filled completely: no heap bookkeeping, no clearing, and pages backed as largely as
// the system offers.

#include <cstddef>

namespace typekiln {

/// `bytes` of fresh memory, readable and writable, or null when the system has none.
void* MapPictureMemory(std::size_t bytes);

/// Returns a block that MapPictureMemory gave, with the size it was asked for.
void UnmapPictureMemory(void* memory, std::size_t bytes);

}  // namespace typekiln
