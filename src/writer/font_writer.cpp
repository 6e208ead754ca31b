#include "writer/font_writer.h"

#include "io/byte_order.h"
#include "io/output_file.h"
#include "report/messages.h"

namespace typekiln {

namespace {

std::int64_t RoundUpToAlignment(std::int64_t value) {
  constexpr auto kAlign = static_cast<std::int64_t>(kBlockAlignment);
  return (value + kAlign - 1) / kAlign * kAlign;
}

std::size_t FillBefore(std::uint64_t position) {
  return static_cast<std::size_t>((kBlockAlignment - position % kBlockAlignment) % kBlockAlignment);
}

std::uint64_t TableEnd(const BuildState& state) {
  return kHeaderSize + kTableEntrySize * static_cast<std::uint64_t>(state.faceSet.count);
}

// Runs `visit` over the glyphs and their places in file order: faces, then shadows.
template <typename Layout, typename Visit>
void ForEachGlyph(const BuildState& state, Layout& layout, Visit visit) {
  const std::pair<const GlyphSet*, decltype(&layout.faces)> sets[] = {
      {&state.faceSet, &layout.faces}, {&state.shadowSet, &layout.shadows}};
  for (const auto& [set, places] : sets) {
    for (std::int32_t i = 0; i < set->count; ++i) visit(set->glyphs[i], (*places)[i]);
  }
}

std::uint8_t Sample(const Glyph& glyph, std::int64_t index) {
  const auto at = static_cast<std::size_t>(index);
  return at < glyph.coverage.size() ? glyph.coverage[at] >> kSampleShift : 0;
}

void PutGlyphFields(std::uint8_t* out, const Glyph& glyph, const BitmapPlace& place) {
  PutBE32(out + kBitmapOffsetAt, place.offset);
  out[kBitmapWidthAt] = LowByte(place.width);
  out[kBitmapHeightAt] = LowByte(place.height);
  out[kBitmapTopAt] = LowByte(glyph.top);
  out[kBitmapStrideAt] = LowByte(place.stride);
}

}  // namespace

FontLayout LayOutFont(const BuildState& state) {
  const bool vertical = state.settings.orientation == Orientation::Vertical;
  FontLayout layout;
  std::uint64_t position = TableEnd(state);
  ForEachGlyph(state, layout, [&](const Glyph& glyph, BitmapPlace& place) {
    place.width = vertical ? glyph.height : glyph.width;
    place.height = vertical ? glyph.width : glyph.height;
    place.stride = static_cast<std::int32_t>(RoundUpToAlignment(place.width));
    position += FillBefore(position);
    place.offset = static_cast<std::uint32_t>(position);
    position += static_cast<std::uint64_t>(place.height) * static_cast<std::uint64_t>(place.stride);
  });
  layout.size = position;
  return layout;
}

std::array<std::uint8_t, kHeaderSize> HeaderBytes(const BuildState& state) {
  std::array<std::uint8_t, kHeaderSize> header{};
  for (std::size_t i = 0; i < kTagSize * kTagCount; ++i)
    header[i] = static_cast<std::uint8_t>(kFontTags[i]);
  PutBE32(&header[kVersionAt], kFormatVersion);
  const FontSettings& settings = state.settings;
  header[kGlyphCountAt] = LowByte(state.faceSet.count);
  header[kOrientationAt] = static_cast<std::uint8_t>(settings.orientation);
  header[kGapAt] = settings.gap;
  header[kSpaceAt] = settings.space;
  header[kDropXAt] = settings.dropX;
  header[kDropYAt] = settings.dropY;
  return header;
}

std::vector<std::uint8_t> TableBytes(const BuildState& state, const FontLayout& layout) {
  const bool vertical = state.settings.orientation == Orientation::Vertical;
  std::vector<std::uint8_t> table(kTableEntrySize * static_cast<std::size_t>(state.faceSet.count));
  for (std::int32_t i = 0; i < state.faceSet.count; ++i) {
    const Glyph& face = state.faceSet.glyphs[i];
    const Glyph& shadow = state.shadowSet.glyphs[i];  // all zero when never grabbed
    const std::int64_t dx = std::int64_t{shadow.x} - face.x;
    const std::int64_t dy = std::int64_t{shadow.y} - face.y;
    std::uint8_t* entry = &table[kTableEntrySize * static_cast<std::size_t>(i)];
    PutGlyphFields(entry + kFaceFieldsAt, face, layout.faces[i]);
    PutGlyphFields(entry + kShadowFieldsAt, shadow, layout.shadows[i]);
    entry[kShadowFirstAt] = LowByte(vertical ? dy : dx);
    entry[kShadowSecondAt] = LowByte(vertical ? -dx : dy);
    entry[kCodeAt] = static_cast<std::uint8_t>(state.settings.charSet[static_cast<std::size_t>(i)]);
  }
  return table;
}

std::vector<std::uint8_t> LayOutBitmap(const Glyph& glyph, const BitmapPlace& place,
                                       Orientation orientation, std::size_t fill) {
  const std::int64_t rows = place.height;
  const std::int64_t columns = place.width;
  const std::int64_t stride = place.stride;
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

void EmitFont(const BuildState& state, const FontLayout& layout,
              const std::function<void(std::span<const std::uint8_t>)>& emit) {
  emit(HeaderBytes(state));
  emit(TableBytes(state, layout));
  // Each block goes where the table says it is.
  std::uint64_t position = TableEnd(state);
  ForEachGlyph(state, layout, [&](const Glyph& glyph, const BitmapPlace& place) {
    const std::vector<std::uint8_t> block =
        LayOutBitmap(glyph, place, state.settings.orientation,
                     static_cast<std::size_t>(place.offset - position));
    emit(block);
    position += block.size();
  });
}

Failure WriteFont(const BuildState& state, const std::string& path) {
  const FontLayout layout = LayOutFont(state);
  if (layout.size > kMaxFontSize)
    return Failure::Because(msg::kFontTooLarge, path.c_str());
  OutputFile file;
  if (!file.Create(path))
    return Failure::Because(msg::kCannotCreate, path.c_str());
  EmitFont(state, layout,
           [&](std::span<const std::uint8_t> piece) { file.Write(piece.data(), piece.size()); });
  if (!file.Commit())
    return Failure::Because(msg::kCannotWrite, path.c_str());
  return {};
}

}  // namespace typekiln
