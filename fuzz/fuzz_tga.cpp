// Arbitrary bytes as a TGA picture, loaded by the tool's loader, then grabbed from in bands of
// several heights, from inside the picture and from outside it.

#include "fuzz_support.h"
#include "glyph/grabber.h"
#include "picture/tga_picture.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace typekiln;
  if (size > fuzz::kMaxInput || !fuzz::PictureIsSmallEnough({data, size}))
    return 0;
  const fuzz::MemoryFile file({data, size});
  BuildState state;
  ReadTgaPicture(state.picture, fuzz::kPicturePath);

  const std::int32_t height = state.picture.height;
  const struct {
    std::int32_t maxHeight, x, y, count;
  } grabs[] = {{height, 0, 0, 128}, {1, 0, height / 2, 128},
               {32, -5, -3, 4},     {height, state.picture.width - 1, 0, 2},
               {0, 0, 0, 1},        {-7, 0, 0, 1}};
  for (const auto& grab : grabs) {
    state.settings.maxHeight = grab.maxHeight;
    GlyphSet& set = grab.y == 0 ? state.faceSet : state.shadowSet;
    GrabGlyphs(state, set, grab.x, grab.y, grab.count, {"Grab", 1});
  }
  fuzz::WriteAndCheckFont(state);
  return 0;
}
