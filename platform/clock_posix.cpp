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

void Pause(std::uint32_t milliseconds) {
  const timespec wait{static_cast<time_t>(milliseconds / 1000u),
                      static_cast<long>(milliseconds % 1000u) * 1000000L};
  ::nanosleep(&wait, nullptr);
}

}  // namespace platform
