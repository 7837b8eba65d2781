// The progress line.
#include "net/progress.h"

#include <cstring>
#include <string_view>

#include "app/format.h"

namespace {

char* Put(char* out, std::string_view text) {
  std::memcpy(out, text.data(), text.size());
  return out + text.size();
}

// numerator / denominator in hundredths, rounded half up. A figure is the long double quotient
// shown with two decimals: its 18 significant digits, rounded half away from zero at the second
// decimal. Those 18 digits lie within 6e-18 (relative) of the exact quotient. With numerators
// below 8e16 an exact quotient off a half hundredth is at least 1 / (2 * denominator) hundredths
// away from it, far more than that; one on a half hundredth has so few digits that the 18 are
// exactly it. Either way the rounding agrees with this one.
std::uint64_t RoundedHundredths(std::uint64_t numerator, std::uint64_t denominator) {
  return (2 * numerator + denominator) / (2 * denominator);
}

}  // namespace

// The pieces are written here directly, as the line is made after every received block. The
// numerators stay inside the bound above for any count below 8e12 bytes (hours of a transfer at
// gigabytes a second, all of it past a declared length).
std::string_view ProgressText(char (&line)[kProgressTextRoom], std::uint64_t received,
                              std::int32_t contentLength, std::uint32_t elapsedMs) {
  static constexpr std::string_view kPieces[] = {"Downloading ", " of ",   " (",
                                                 "%) Speed ",    " Kb/s ", " seconds passed"};
  static_assert([] {
    std::size_t size = 5 * kNumberTextRoom;
    for (std::string_view piece : kPieces) size += piece.size();
    return size <= kProgressTextRoom;
  }());
  char* p = Put(line, kPieces[0]);
  p = PutCountText(p, received);
  if (contentLength <= 0) {
    p = Put(p, " of UnKnown Size");
    return {line, static_cast<std::size_t>(p - line)};
  }
  p = Put(p, kPieces[1]);
  p = PutIntegerText(p, contentLength);
  p = Put(p, kPieces[2]);
  // The percentage is not clamped: it passes 100 when the server sends more than it declared.
  p = PutHundredthsText(p, RoundedHundredths(received * 10000, static_cast<std::uint64_t>(contentLength)));
  p = Put(p, kPieces[3]);
  // Bytes per millisecond; the + 1 in 64 bits, so that a tick count of 2^32 - 1 cannot wrap to a
  // division by zero.
  p = PutHundredthsText(p, RoundedHundredths(received * 100, std::uint64_t{elapsedMs} + 1));
  p = Put(p, kPieces[4]);
  p = PutHundredthsText(p, RoundedHundredths(elapsedMs, 10));
  p = Put(p, kPieces[5]);
  return {line, static_cast<std::size_t>(p - line)};
}
