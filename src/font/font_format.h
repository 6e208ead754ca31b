#pragma once

// The numbers of the font file's layout that the writer and the reader share. The layout itself
// is described at the top of font_writer.h.

#include <cstddef>

namespace typekiln {

inline constexpr std::size_t kHeaderSize = 24;
inline constexpr std::size_t kTableEntrySize = 20;
inline constexpr std::size_t kBlockAlignment = 8;
/// The three 4-byte tags at the start of every font, one after another.
inline constexpr char kFontTags[] = "TKLNQZ7!N64!";
/// Entries a table may hold: the header stores the count in one byte, and a set holds 128.
inline constexpr int kMaxTableEntries = 128;
/// The most a glyph's one-byte width, height and top fields hold.
inline constexpr int kMaxByteField = 255;

}  // namespace typekiln
