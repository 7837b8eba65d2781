// The integer conversion rule: optional spaces, an optional sign, then decimal digits or
// hexadecimal ones after "$", "x" or "0x"; every byte to the end must be a digit.
#include "request/parse_int.h"

#include <string>

#include "app/errors.h"

namespace {

int DigitValue(char c, std::uint32_t base) {
  int value = -1;
  if (c >= '0' && c <= '9') {
    value = c - '0';
  } else if (base == 16 && c >= 'a' && c <= 'f') {
    value = c - 'a' + 10;
  } else if (base == 16 && c >= 'A' && c <= 'F') {
    value = c - 'A' + 10;
  }
  return value;
}

// Reads the digits that make up the rest of the text into an unsigned value no larger than
// limit. The checks come before each step, so the arithmetic never wraps.
bool ReadDigits(std::string_view digits, std::uint32_t base, std::uint32_t limit, std::uint32_t& value) {
  if (digits.empty()) return false;
  value = 0;
  for (char c : digits) {
    const int digit = DigitValue(c, base);
    if (digit < 0) return false;
    if (value > limit / base) return false;
    value *= base;
    if (value > limit - static_cast<std::uint32_t>(digit)) return false;
    value += static_cast<std::uint32_t>(digit);
  }
  return true;
}

bool StartsHex(std::string_view text, std::size_t& prefixLength) {
  if (!text.empty() && (text[0] == '$' || text[0] == 'x' || text[0] == 'X')) {
    prefixLength = 1;
    return true;
  }
  if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    prefixLength = 2;
    return true;
  }
  prefixLength = 0;
  return false;
}

}  // namespace

bool TryParseInt(std::string_view text, std::int32_t& value) {
  std::size_t at = 0;
  while (at < text.size() && text[at] == ' ') ++at;
  bool negative = false;
  if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
    negative = text[at] == '-';
    ++at;
  }
  text.remove_prefix(at);

  std::size_t prefixLength = 0;
  std::uint32_t magnitude = 0;
  if (StartsHex(text, prefixLength)) {
    // Eight significant hexadecimal digits fill the 32 bits, which are then read as signed.
    if (!ReadDigits(text.substr(prefixLength), 16, 0xFFFFFFFFu, magnitude)) return false;
  } else {
    const std::uint32_t limit = negative ? 0x80000000u : 0x7FFFFFFFu;
    if (!ReadDigits(text, 10, limit, magnitude)) return false;
  }
  // Conversion of an unsigned value to a signed one is modular, which gives both the signed
  // reading of eight hexadecimal digits and the wrap-around of negating 0x80000000.
  value = static_cast<std::int32_t>(negative ? 0u - magnitude : magnitude);
  return true;
}

std::int32_t ParseInt(std::string_view text) {
  std::int32_t value = 0;
  if (!TryParseInt(text, value)) RaiseConvertError(text);
  return value;
}
