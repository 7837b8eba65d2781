// The millisecond clock of the progress figures.
#pragma once

#include <cstdint>

namespace platform {

// Milliseconds since an arbitrary start, wrapping modulo 2^32.
std::uint32_t TickCount();

}  // namespace platform
