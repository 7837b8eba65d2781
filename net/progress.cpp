// The progress line.
#include "net/progress.h"

#include <cstring>
#include <string_view>

#include "app/format.h"

namespace {

constexpr std::string_view kKnownSize = "Downloading %d of %d (%f%%) Speed %f Kb/s %f seconds passed";

char* Put(char* out, std::string_view text) {
  std::memcpy(out, text.data(), text.size());
  return out + text.size();
}

// numerator / denominator in hundredths, rounded half up: the digits %f shows of the long double
// quotient of a progress figure. %f rounds the quotient's 18 significant digits, which lie within
// 6e-18 (relative) of the exact quotient. With numerators below 8e16 an exact quotient off a half
// hundredth is at least 1 / (2 * denominator) hundredths away from it, far more than that; one on
// a half hundredth has so few digits that the 18 are exactly it. Either way the rounding agrees.
std::uint64_t RoundedHundredths(std::uint64_t numerator, std::uint64_t denominator) {
  return (2 * numerator + denominator) / (2 * denominator);
}

}  // namespace

// The line is made after every received block, so its pieces are written here directly, exactly as
// FormatText fills in "Downloading %d of UnKnown Size" and kKnownSize. The figures of a transfer of
// 32-bit lengths stay far below what only FormatText itself renders; should one ever not, FormatText
// makes the line.
std::string_view ProgressText(char (&line)[kProgressTextRoom], std::int32_t received,
                              std::int32_t contentLength, std::uint32_t elapsedMs) {
  static_assert(kProgressTextRoom >= 4 * kNumberTextRoom + kKnownSize.size());
  char* p = line;
  if (contentLength <= 0) {
    p = Put(p, "Downloading ");
    p = PutIntegerText(p, received);
    p = Put(p, " of UnKnown Size");
    return {line, static_cast<std::size_t>(p - line)};
  }
  // The figures in integers, which give the very digits of the long double figures below: this
  // runs after every received block. (A negative count takes the long way.)
  if (received >= 0) {
    auto count = static_cast<std::uint64_t>(received);
    std::uint64_t percentHundredths =
        RoundedHundredths(count * 10000, static_cast<std::uint64_t>(contentLength));
    std::uint64_t speedHundredths = RoundedHundredths(count * 100, std::uint64_t{elapsedMs} + 1);
    std::uint64_t secondsHundredths = RoundedHundredths(elapsedMs, 10);
    p = Put(p, "Downloading ");
    p = PutIntegerText(p, received);
    p = Put(p, " of ");
    p = PutIntegerText(p, contentLength);
    p = Put(p, " (");
    p = PutHundredthsText(p, percentHundredths);
    p = Put(p, "%) Speed ");
    p = PutHundredthsText(p, speedHundredths);
    p = Put(p, " Kb/s ");
    p = PutHundredthsText(p, secondsHundredths);
    p = Put(p, " seconds passed");
    return {line, static_cast<std::size_t>(p - line)};
  }
  long double percent = static_cast<long double>(received) / contentLength * 100;
  // The + 1 in 64 bits: a tick count of 2^32 - 1 must not wrap to a division by zero.
  long double speed = static_cast<long double>(received) / (static_cast<std::int64_t>(elapsedMs) + 1);
  long double seconds = static_cast<long double>(elapsedMs) / 1000;
  p = Put(p, "Downloading ");
  p = PutIntegerText(p, received);
  p = Put(p, " of ");
  p = PutIntegerText(p, contentLength);
  p = Put(p, " (");
  if ((p = PutFixed2Text(p, percent)) != nullptr) p = Put(p, "%) Speed ");
  if (p != nullptr && (p = PutFixed2Text(p, speed)) != nullptr) p = Put(p, " Kb/s ");
  if (p != nullptr && (p = PutFixed2Text(p, seconds)) != nullptr) p = Put(p, " seconds passed");
  if (p == nullptr) {
    std::string text = FormatText(kKnownSize, {received, contentLength, percent, speed, seconds});
    std::size_t size = text.size() < kProgressTextRoom ? text.size() : kProgressTextRoom;
    std::memcpy(line, text.data(), size);
    return {line, size};
  }
  return {line, static_cast<std::size_t>(p - line)};
}

std::string ProgressText(std::int32_t received, std::int32_t contentLength, std::uint32_t elapsedMs) {
  char line[kProgressTextRoom];
  return std::string(ProgressText(line, received, contentLength, elapsedMs));
}
