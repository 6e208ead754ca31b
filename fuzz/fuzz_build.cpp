// A whole build from one input: a script and a picture. The first two bytes give the script's
// length (low byte first), the script follows, and the rest of the input is the picture that
// every LoadTGA of the script loads.

#include "fuzz_support.h"

void typekiln::fuzz::FuzzOne(const std::uint8_t* data, std::size_t size) {
  if (size < 2)
    return;
  const std::size_t scriptSize = std::min<std::size_t>(data[0] | data[1] << 8, size - 2);
  const std::span<const std::uint8_t> script(data + 2, scriptSize);
  const std::span<const std::uint8_t> picture(data + 2 + scriptSize, size - 2 - scriptSize);
  if (!fuzz::PictureIsSmallEnough(picture))
    return;
  const fuzz::MemoryFile file(picture);
  BuildState state;
  fuzz::RunScriptBytes(state, script);
  fuzz::WriteAndCheckFont(state);
}
