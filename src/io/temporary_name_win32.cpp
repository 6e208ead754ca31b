#include <windows.h>
// After windows.h, which it needs.
#include <bcrypt.h>

#include <cstdint>

#include "io/temporary_name.h"

namespace typekiln {

std::string RandomTemporaryName() {
  unsigned char noise[kTemporaryNoise];
  if (!BCRYPT_SUCCESS(
          BCryptGenRandom(nullptr, noise, sizeof noise, BCRYPT_USE_SYSTEM_PREFERRED_RNG))) {
    // No randomness from the system: the clock still gives names that differ from run to run,
    // and a name that is taken is only tried again.
    LARGE_INTEGER now{};
    QueryPerformanceCounter(&now);
    std::uint64_t mix = static_cast<std::uint64_t>(now.QuadPart) ^
                        (static_cast<std::uint64_t>(GetCurrentProcessId()) << 40);
    for (unsigned char& byte : noise) {
      mix = mix * 6364136223846793005u + 1442695040888963407u;
      byte = static_cast<unsigned char>(mix >> 56);
    }
  }
  return TemporaryName(noise);
}

}  // namespace typekiln
