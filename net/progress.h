// The progress line shown after every received block of the body.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// received: bytes of the body so far; contentLength: the declared length (0 or less when
// none); elapsedMs: milliseconds since the header block ended.
std::string ProgressText(std::int32_t received, std::int32_t contentLength, std::uint32_t elapsedMs);

// The same line written into a buffer of the caller's, which the returned text points into: the
// transfer makes one after every received block and so needs no allocation for it.
inline constexpr std::size_t kProgressTextRoom = 192;
std::string_view ProgressText(char (&line)[kProgressTextRoom], std::int32_t received,
                              std::int32_t contentLength, std::uint32_t elapsedMs);
