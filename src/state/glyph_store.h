#pragma once

// Where the coverage of every grabbed glyph lives. Glyphs are many and small, are never freed one
// by one and all live until the run ends, so the store hands out pieces of a few large blocks: a
// glyph costs no allocation of its own, and the store goes back to the system in one piece.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace typekiln {

class GlyphStore {
 public:
  /// Bytes of coverage one run may hold in all.
  static constexpr std::size_t kLimit = std::size_t{1} << 30;

  /// `size` bytes, not cleared, that stay in place as long as the store does. Null when the run
  /// would then hold more than kLimit bytes, or when the system has no memory for them.
  std::uint8_t* Allocate(std::size_t size);
  /// Bytes handed out so far.
  std::size_t used() const { return used_; }

 private:
  std::vector<std::unique_ptr<std::uint8_t[]>> blocks_;
  std::uint8_t* free_ = nullptr;  ///< the unused rest of the newest shared block
  std::size_t left_ = 0;
  std::size_t used_ = 0;
};

}  // namespace typekiln
