// Arbitrary bytes as a picture (a TGA, or a PNG when they start as one), loaded by the tool's
// loader, then grabbed from in bands of several heights, from inside the picture and outside it.

#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace typekiln;
  if (size > fuzz::kMaxInput || !fuzz::PictureIsSmallEnough({data, size}))
    return 0;
  const fuzz::MemoryFile file({data, size});
  BuildState state;
  fuzz::LoadGrabAndCheck(state);
  return 0;
}
