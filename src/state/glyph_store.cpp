#include "state/glyph_store.h"

#include <algorithm>
#include <new>

namespace typekiln {

namespace {

// Blocks start small, so that a font of a few glyphs takes little, and double up to this size.
constexpr std::size_t kFirstBlockSize = std::size_t{64} << 10;
constexpr std::size_t kLargestBlockSize = std::size_t{16} << 20;

}  // namespace

std::uint8_t* GlyphStore::Allocate(std::size_t size) {
  if (size > kLimit - used_)
    return nullptr;
  if (size > left_ || free_ == nullptr) {
    const std::size_t blockSize =
        std::min(kFirstBlockSize << std::min<std::size_t>(blocks_.size(), 8), kLargestBlockSize);
    // A glyph as large as half a block gets a block of its own, and the shared block stays.
    const bool own = size > blockSize / 2;
    std::unique_ptr<std::uint8_t[]> block(new (std::nothrow) std::uint8_t[own ? size : blockSize]);
    if (block == nullptr)
      return nullptr;
    blocks_.push_back(std::move(block));
    if (own) {
      used_ += size;
      return blocks_.back().get();
    }
    free_ = blocks_.back().get();
    left_ = blockSize;
  }
  std::uint8_t* piece = free_;
  free_ += size;
  left_ -= size;
  used_ += size;
  return piece;
}

}  // namespace typekiln
