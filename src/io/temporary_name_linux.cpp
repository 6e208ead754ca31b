#include <sys/random.h>
#include <unistd.h>

#include <cstdint>
#include <ctime>

#include "io/temporary_name.h"

namespace typekiln {

std::string RandomTemporaryName() {
  unsigned char noise[kTemporaryNoise];
  if (getrandom(noise, sizeof noise, 0) != static_cast<ssize_t>(sizeof noise)) {
    // No randomness from the system: the clock still gives names that differ from run to run,
    // and a name that is taken is only tried again.
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    std::uint64_t mix = static_cast<std::uint64_t>(now.tv_nsec) ^
                        (static_cast<std::uint64_t>(now.tv_sec) << 30) ^
                        static_cast<std::uint64_t>(getpid());
    for (unsigned char& byte : noise) {
      mix = mix * 6364136223846793005u + 1442695040888963407u;
      byte = static_cast<unsigned char>(mix >> 56);
    }
  }
  return TemporaryName(noise);
}

}  // namespace typekiln
