// Arbitrary bytes as a picture (a TGA, or a PNG when they start as one), loaded by the tool's
// loader, then grabbed from in bands of several heights, from inside the picture and outside it.

#include "fuzz_support.h"

void typekiln::fuzz::FuzzOne(const std::uint8_t* data, std::size_t size) {
  if (!fuzz::PictureIsSmallEnough({data, size}))
    return;
  const fuzz::MemoryFile file({data, size});
  BuildState state;
  fuzz::LoadGrabAndCheck(state);
}
