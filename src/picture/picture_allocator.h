#pragma once

// The allocator of a picture's pixel buffers: a run-length encoded picture decoded whole, and
// the rows a row cache reads from a raw one. Either can be hundreds of megabytes that are then
// filled completely, so a buffer is neither cleared first (elements are default-initialised,
// and a byte then stays as it is) nor taken from the heap: large buffers come straight from the
// system (picture_memory.h).

#include <cstddef>
#include <limits>
#include <new>
#include <utility>

#include "io/picture_memory.h"

namespace typekiln {

template <typename T>
class PictureAllocator {
 public:
  using value_type = T;

  PictureAllocator() = default;
  template <typename U>
  PictureAllocator(const PictureAllocator<U>&) {}

  T* allocate(std::size_t count) {
    if (count > std::numeric_limits<std::size_t>::max() / sizeof(T))
      throw std::bad_alloc();
    const std::size_t bytes = count * sizeof(T);
    if (bytes < kMappedSize)
      return static_cast<T*>(::operator new(bytes));
    void* memory = MapPictureMemory(bytes);
    if (memory == nullptr)
      throw std::bad_alloc();
    return static_cast<T*>(memory);
  }

  void deallocate(T* memory, std::size_t count) {
    const std::size_t bytes = count * sizeof(T);
    if (bytes < kMappedSize)
      ::operator delete(memory);
    else
      UnmapPictureMemory(memory, bytes);
  }

  /// Default-initialises: the loader writes every pixel.
  template <typename U>
  void construct(U* at) {
    ::new (static_cast<void*>(at)) U;
  }
  template <typename U, typename... Args>
  void construct(U* at, Args&&... args) {
    ::new (static_cast<void*>(at)) U(std::forward<Args>(args)...);
  }

  friend bool operator==(const PictureAllocator&, const PictureAllocator&) { return true; }

 private:
  static constexpr std::size_t kMappedSize = std::size_t{2} << 20;
};

}  // namespace typekiln
