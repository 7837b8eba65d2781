// The millisecond clock of the progress figures, and a pause of a few milliseconds.
#pragma once

#include <cstdint>

namespace platform {

// Milliseconds since an arbitrary start, wrapping modulo 2^32.
std::uint32_t TickCount();
// Waits for about so many milliseconds; a signal may end the wait early.
void Pause(std::uint32_t milliseconds);

}  // namespace platform
