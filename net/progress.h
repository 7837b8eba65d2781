// The progress line shown after every received block of the body.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

// The line written into a buffer of the caller's, which the returned text points into: the
// transfer makes one after every received block and so needs no allocation for it.
// received: bytes of the body received so far, those past a declared length included, so it may
// pass the 32-bit range; contentLength: the declared length (0 or less when none); elapsedMs:
// milliseconds since the header block ended.
inline constexpr std::size_t kProgressTextRoom = 256;
std::string_view ProgressText(char (&line)[kProgressTextRoom], std::uint64_t received,
                              std::int32_t contentLength, std::uint32_t elapsedMs);
