// The millisecond clock on Windows.
#include <windows.h>

#include "platform/clock.h"

namespace platform {

std::uint32_t TickCount() {
  return static_cast<std::uint32_t>(GetTickCount());
}

void Pause(std::uint32_t milliseconds) {
  Sleep(milliseconds);
}

}  // namespace platform
