#include "font/font_writer.h"

#include "io/byte_order.h"
#include "io/output_file.h"
#include "main/messages.h"

namespace typekiln {

namespace {

std::int64_t RoundUpTo8(std::int64_t value) { return (value + 7) / 8 * 8; }

std::size_t FillBefore(std::uint64_t position) {
  return static_cast<std::size_t>((kBlockAlignment - position % kBlockAlignment) % kBlockAlignment);
}

std::uint64_t TableEnd(const BuildState& state) {
  return kHeaderSize + kTableEntrySize * static_cast<std::uint64_t>(state.fontSet.count);
}

// Runs `visit` over the glyphs in file order: font glyphs, then shadow glyphs.
template <typename State, typename Visit>
void ForEachGlyph(State& state, Visit visit) {
  for (auto* set : {&state.fontSet, &state.shadowSet}) {
    for (std::int32_t i = 0; i < set->count; ++i) visit(set->glyphs[i]);
  }
}

std::uint8_t Sample(const Glyph& glyph, std::int64_t index) {
  const auto at = static_cast<std::size_t>(index);
  return at < glyph.pixels.size() ? glyph.pixels[at].alpha >> 4 : 0;
}

void PutGlyphFields(std::uint8_t* out, const Glyph& glyph) {
  PutBE32(out, glyph.offset);
  out[4] = LowByte(glyph.width);
  out[5] = LowByte(glyph.height);
  out[6] = LowByte(glyph.top);
  out[7] = LowByte(glyph.stride);
}

}  // namespace

std::uint64_t LayOutFont(BuildState& state) {
  const bool vertical = state.settings.orientation == Orientation::Vertical;
  std::uint64_t position = TableEnd(state);
  ForEachGlyph(state, [&](Glyph& glyph) {
    if (vertical)
      std::swap(glyph.width, glyph.height);
    glyph.stride = static_cast<std::int32_t>(RoundUpTo8(glyph.width));
    position += FillBefore(position);
    glyph.offset = static_cast<std::uint32_t>(position);
    position += static_cast<std::uint64_t>(glyph.height) * static_cast<std::uint64_t>(glyph.stride);
  });
  return position;
}

std::array<std::uint8_t, kHeaderSize> HeaderBytes(const BuildState& state) {
  std::array<std::uint8_t, kHeaderSize> header{};
  for (std::size_t i = 0; i < 12; ++i) header[i] = static_cast<std::uint8_t>(kFontTags[i]);
  PutBE32(&header[12], 1);
  const FontSettings& settings = state.settings;
  header[16] = LowByte(state.fontSet.count);
  header[17] = static_cast<std::uint8_t>(settings.orientation);
  header[18] = settings.gap;
  header[19] = settings.space;
  header[20] = settings.dropX;
  header[21] = settings.dropY;
  return header;
}

std::vector<std::uint8_t> TableBytes(const BuildState& state) {
  const bool vertical = state.settings.orientation == Orientation::Vertical;
  std::vector<std::uint8_t> table(kTableEntrySize * static_cast<std::size_t>(state.fontSet.count));
  for (std::int32_t i = 0; i < state.fontSet.count; ++i) {
    const Glyph& face = state.fontSet.glyphs[i];
    const Glyph& shadow = state.shadowSet.glyphs[i];  // all zero when never grabbed
    const std::int64_t dx = std::int64_t{shadow.x} - face.x;
    const std::int64_t dy = std::int64_t{shadow.y} - face.y;
    std::uint8_t* entry = &table[kTableEntrySize * static_cast<std::size_t>(i)];
    PutGlyphFields(entry, face);
    PutGlyphFields(entry + 8, shadow);
    entry[16] = LowByte(vertical ? dy : dx);
    entry[17] = LowByte(vertical ? -dx : dy);
    entry[18] = static_cast<std::uint8_t>(state.settings.charSet[static_cast<std::size_t>(i)]);
  }
  return table;
}

std::vector<std::uint8_t> LayOutBitmap(const Glyph& glyph, Orientation orientation,
                                       std::size_t fill) {
  const std::int64_t rows = glyph.height;
  const std::int64_t columns = glyph.width;
  const std::int64_t stride = glyph.stride;
  std::vector<std::uint8_t> block(fill + static_cast<std::size_t>(rows * stride));
  std::uint8_t* row = block.data() + fill;
  for (std::int64_t i = 0; i < rows; ++i, row += stride) {
    for (std::int64_t j = 0; j < columns; ++j) {
      // A vertical glyph was grabbed `rows` wide and `columns` high; its output row i is grabbed
      // column rows - 1 - i read downwards.
      const std::int64_t source =
          orientation == Orientation::Vertical ? j * rows + (rows - 1 - i) : i * columns + j;
      row[j] = Sample(glyph, source);
    }
  }
  return block;
}

bool FitsOneByteFields(const Glyph& glyph) {
  return glyph.width <= 255 && glyph.height <= 255 && glyph.top <= 255;
}

void EmitFont(const BuildState& state,
              const std::function<void(std::span<const std::uint8_t>)>& emit) {
  emit(HeaderBytes(state));
  emit(TableBytes(state));
  // Each block goes where the table says it is.
  std::uint64_t position = TableEnd(state);
  ForEachGlyph(state, [&](const Glyph& glyph) {
    const std::vector<std::uint8_t> block = LayOutBitmap(
        glyph, state.settings.orientation, static_cast<std::size_t>(glyph.offset - position));
    emit(block);
    position += block.size();
  });
}

void WriteFont(BuildState& state, Console& console, const std::string& path) {
  if (LayOutFont(state) > kMaxFontSize)
    return ReportError(console, msg::kFontTooLarge, path.c_str());
  OutputFile file;
  if (!file.Create(path))
    return ReportError(console, msg::kCannotCreate, path.c_str());
  EmitFont(state,
           [&](std::span<const std::uint8_t> piece) { file.Write(piece.data(), piece.size()); });
  if (!file.Commit())
    ReportError(console, msg::kCannotWrite, path.c_str());
}

}  // namespace typekiln
