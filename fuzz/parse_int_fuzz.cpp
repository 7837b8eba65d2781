// The integer conversion rule against a plain reference: arbitrary-precision accumulation of the
// digits, then the range check.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "app/errors.h"
#include "fuzz/fuzz_check.h"
#include "request/parse_int.h"

namespace {

// A natural number in 32-bit limbs, least significant first; no limb count limit.
struct Natural {
  std::vector<std::uint32_t> limbs;

  void MultiplyAdd(std::uint32_t factor, std::uint32_t addend) {
    std::uint64_t carry = addend;
    for (std::uint32_t& limb : limbs) {
      const std::uint64_t product = static_cast<std::uint64_t>(limb) * factor + carry;
      limb = static_cast<std::uint32_t>(product);
      carry = product >> 32;
    }
    if (carry != 0) limbs.push_back(static_cast<std::uint32_t>(carry));
  }
  // The value when it is below 2^32.
  std::optional<std::uint32_t> Small() const {
    if (limbs.size() > 1) return std::nullopt;
    return limbs.empty() ? 0u : limbs[0];
  }
};

int DigitOf(char c, int base) {
  int digit = 99;
  if (c >= '0' && c <= '9') digit = c - '0';
  if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
  if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
  return digit < base ? digit : -1;
}

std::optional<std::int32_t> Reference(std::string_view text) {
  std::size_t at = 0;
  while (at < text.size() && text[at] == ' ') ++at;
  bool negative = false;
  if (at < text.size() && (text[at] == '+' || text[at] == '-')) negative = text[at++] == '-';
  std::string_view digits = text.substr(at);
  int base = 10;
  if (!digits.empty() && (digits[0] == '$' || digits[0] == 'x' || digits[0] == 'X')) {
    base = 16;
    digits.remove_prefix(1);
  } else if (digits.size() >= 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
    base = 16;
    digits.remove_prefix(2);
  }
  if (digits.empty()) return std::nullopt;

  Natural value;
  for (char c : digits) {
    const int digit = DigitOf(c, base);
    if (digit < 0) return std::nullopt;
    value.MultiplyAdd(static_cast<std::uint32_t>(base), static_cast<std::uint32_t>(digit));
  }
  const std::optional<std::uint32_t> small = value.Small();
  if (!small) return std::nullopt;  // beyond 32 bits: too many significant digits either way
  if (base == 10) {
    const std::int64_t signedValue = negative ? -static_cast<std::int64_t>(*small) : *small;
    if (signedValue < INT32_MIN || signedValue > INT32_MAX) return std::nullopt;
    return static_cast<std::int32_t>(signedValue);
  }
  // Eight hexadecimal digits are 32 bits read as signed; a "-" negates with wrap-around.
  const std::uint32_t bits = negative ? 0u - *small : *small;
  std::int32_t result;
  std::memcpy(&result, &bits, sizeof result);
  return result;
}

// Decimal text of a number near one of the edges of the 32-bit ranges, where a wrong limit or an
// overflowing accumulation shows: edge + delta, with a sign, leading zeros and leading spaces
// all chosen by the input.
std::string NearEdge(const std::uint8_t* data, std::size_t size) {
  static constexpr std::int64_t kEdges[] = {0, 2147483647, 2147483648, 4294967295, 4294967296, 10000000000};
  std::uint8_t b[6] = {};
  std::memcpy(b, data, size < sizeof b ? size : sizeof b);
  const std::int64_t delta = static_cast<std::int16_t>(b[1] | b[2] << 8) % 300;
  std::int64_t magnitude = kEdges[b[0] % 6] + delta;
  if (magnitude < 0) magnitude = -magnitude;
  std::string text(b[3] % 4, ' ');
  if (b[4] & 1) text += b[4] & 2 ? '-' : '+';
  text.append(b[5] % 12, '0');
  text += std::to_string(magnitude);
  return text;
}

// The first byte picks how the rest is read: raw bytes, bytes mapped onto the characters of
// decimal or hexadecimal text (so that most inputs get past the first digit), or a number near
// an edge of the range.
std::string TextFrom(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return {};
  if (data[0] % 4 == 3) return NearEdge(data + 1, size - 1);
  static constexpr std::string_view kDecimal = " +-0123456789000000000000";
  static constexpr std::string_view kHex = " +-0123456789abcdefABCDEF$xX0000000g\t";
  std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
  const std::string_view* alphabet = data[0] % 4 == 1 ? &kDecimal : data[0] % 4 == 2 ? &kHex : nullptr;
  if (alphabet != nullptr)
    for (char& c : text) c = (*alphabet)[static_cast<unsigned char>(c) % alphabet->size()];
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text = TextFrom(data, size);
  const std::optional<std::int32_t> expected = Reference(text);

  std::int32_t value = 12345;
  const bool converted = TryParseInt(text, value);
  FUZZ_CHECK(converted == expected.has_value(), "TryParseInt succeeds exactly when the reference does", text);
  if (converted) FUZZ_CHECK(value == *expected, "TryParseInt gives the reference's value", text);

  try {
    const std::int32_t parsed = ParseInt(text);
    FUZZ_CHECK(converted && parsed == value, "ParseInt converts what TryParseInt converts, to the same value",
               text);
  } catch (const UnhandledError& error) {
    FUZZ_CHECK(!converted, "ParseInt raises only for text that does not convert", text);
    FUZZ_CHECK(std::string_view(error.className) == "EConvertError", "ParseInt raises EConvertError", text);
    // The message lives in fixed storage and is cut at kReportLimit bytes, so a long text shows
    // only as much of the whole message as fits.
    const std::string whole = "'" + text + "' is not a valid integer value";
    FUZZ_CHECK(error.message == std::string_view(whole).substr(0, kReportLimit),
               "the message quotes the text, cut where the report's room ends", text);
  }
  return 0;
}
