// The millisecond clock on POSIX: the monotonic clock, wrapped like a 32-bit tick count.
#include <time.h>

#include "platform/clock.h"

namespace platform {

std::uint32_t TickCount() {
  timespec now{};
  ::clock_gettime(CLOCK_MONOTONIC, &now);
  std::uint64_t ms =
      static_cast<std::uint64_t>(now.tv_sec) * 1000u + static_cast<std::uint64_t>(now.tv_nsec) / 1000000u;
  return static_cast<std::uint32_t>(ms);
}

}  // namespace platform
