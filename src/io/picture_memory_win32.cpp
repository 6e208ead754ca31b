#include "io/picture_memory.h"

#include <windows.h>

namespace typekiln {

// Committed pages come zeroed on first touch, as mapped memory does on POSIX systems. Large
// pages need a privilege that ordinary users lack, so they are not asked for.
void* MapPictureMemory(std::size_t bytes) {
  return VirtualAlloc(nullptr, bytes, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
}

void UnmapPictureMemory(void* memory, std::size_t) { VirtualFree(memory, 0, MEM_RELEASE); }

}  // namespace typekiln
