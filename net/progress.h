// The progress line shown after every received block of the body.
#pragma once

#include <cstdint>
#include <string>

// received: bytes of the body so far; contentLength: the declared length (0 or less when
// none); elapsedMs: milliseconds since the header block ended.
std::string ProgressText(std::int32_t received, std::int32_t contentLength, std::uint32_t elapsedMs);
