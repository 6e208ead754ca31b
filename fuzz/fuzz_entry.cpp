// The entry point libFuzzer calls, the same for every target: an input larger than kMaxInput is
// skipped, and any other goes to the target's FuzzOne.

#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size <= typekiln::fuzz::kMaxInput)
    typekiln::fuzz::FuzzOne(data, size);
  return 0;
}
