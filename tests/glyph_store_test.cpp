#include "state/glyph_store.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <map>

namespace typekiln {
namespace {

// Pieces of every size, small ones filling shared blocks and large ones with blocks of their
// own, each filled with its own number: none overlaps another or moves as the store grows.
TEST(GlyphStore, PiecesStayWhereTheyWereGiven) {
  GlyphStore store;
  std::map<std::uintptr_t, std::size_t> pieces;
  std::size_t total = 0;
  for (std::size_t i = 0; i < 200; ++i) {
    const std::size_t size = i % 7 == 0 ? 40000 + i : 1 + i * 37 % 3000;
    std::uint8_t* piece = store.Allocate(size);
    ASSERT_NE(piece, nullptr);
    std::fill_n(piece, size, static_cast<std::uint8_t>(i));
    pieces[reinterpret_cast<std::uintptr_t>(piece)] = size;
    total += size;
  }
  EXPECT_EQ(store.used(), total);
  std::uintptr_t end = 0;
  for (const auto& [at, size] : pieces) {
    EXPECT_LE(end, at);
    const auto* piece = reinterpret_cast<const std::uint8_t*>(at);
    EXPECT_TRUE(std::all_of(piece, piece + size, [&](std::uint8_t b) { return b == *piece; }));
    end = at + size;
  }
}

TEST(GlyphStore, HoldsNoMoreThanItsLimit) {
  GlyphStore store;
  EXPECT_EQ(store.Allocate(GlyphStore::kLimit + 1), nullptr);
  ASSERT_NE(store.Allocate(GlyphStore::kLimit - 10), nullptr);  // taken, never touched
  EXPECT_EQ(store.Allocate(11), nullptr);
  EXPECT_NE(store.Allocate(10), nullptr);
  EXPECT_EQ(store.used(), GlyphStore::kLimit);
}

}  // namespace
}  // namespace typekiln
