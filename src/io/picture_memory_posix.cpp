#include "io/picture_memory.h"

#include <sys/mman.h>

namespace typekiln {

void* MapPictureMemory(std::size_t bytes) {
  void* memory = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (memory == MAP_FAILED)
    return nullptr;
#ifdef MADV_HUGEPAGE
  // Huge pages cut the page faults of the first touch by a factor of 512. Only a hint: small
  // pages serve as well.
  madvise(memory, bytes, MADV_HUGEPAGE);
#endif
  return memory;
}

void UnmapPictureMemory(void* memory, std::size_t bytes) { munmap(memory, bytes); }

}  // namespace typekiln
