// The progress line.
#include "net/progress.h"

#include "app/format.h"

std::string ProgressText(std::int32_t received, std::int32_t contentLength, std::uint32_t elapsedMs) {
  if (contentLength <= 0) return FormatText("Downloading %d of UnKnown Size", {received});
  long double percent = static_cast<long double>(received) / contentLength * 100;
  // The + 1 in 64 bits: a tick count of 2^32 - 1 must not wrap to a division by zero.
  long double speed = static_cast<long double>(received) / (static_cast<std::int64_t>(elapsedMs) + 1);
  long double seconds = static_cast<long double>(elapsedMs) / 1000;
  return FormatText("Downloading %d of %d (%f%%) Speed %f Kb/s %f seconds passed",
                    {received, contentLength, percent, speed, seconds});
}
