// FormatText and the integer writers behind it.
#include "app/format.h"

#include <array>
#include <bit>
#include <cstring>

namespace {

char decimalSeparator = '.';

// Writes value in decimal at out and returns the end. The digits are counted first and then
// written from the back, two a step, in 32-bit steps as soon as the value fits: a 64-bit division
// is a library call on x86.
char* WriteDecimal(char* out, std::uint64_t value) {
  static constexpr char kPairs[] =
      "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
      "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
      "8081828384858687888990919293949596979899";
  static constexpr auto kPowers = [] {
    std::array<std::uint64_t, 20> powers{};
    std::uint64_t power = 1;
    for (std::uint64_t& p : powers) {
      p = power;
      power *= 10;  // wraps after the last one, which is never used
    }
    return powers;
  }();
  // 1233 / 2^12 is about log10(2): the bit width gives the digit count or one less.
  int lower = std::bit_width(value) * 1233 >> 12;
  int digits = lower + (value >= kPowers[lower] ? 1 : 0);
  char* end = out + (digits > 0 ? digits : 1);
  char* p = end;
  for (; value > 0xFFFFFFFFu; value /= 10) *--p = static_cast<char>('0' + value % 10);
  auto small = static_cast<std::uint32_t>(value);
  for (; small >= 100; small /= 100) {
    p -= 2;
    std::memcpy(p, kPairs + small % 100 * 2, 2);
  }
  if (small >= 10) {
    std::memcpy(p - 2, kPairs + small * 2, 2);
  } else {
    p[-1] = static_cast<char>('0' + small);
  }
  return end;
}

char* WriteInteger(char* out, std::int32_t value) {
  if (value < 0) *out++ = '-';
  // In 64 bits, so that the most negative value has a magnitude.
  return WriteDecimal(out, static_cast<std::uint64_t>(value < 0 ? -static_cast<std::int64_t>(value) : value));
}

// FormatText's result, built on the stack while it is short, so that a line costs one allocation.
struct TextBuilder {
  char local[256];
  std::size_t used = 0;
  bool spilled = false;
  std::string spill;  // all of the text once it has outgrown local

  void Append(const char* bytes, std::size_t count) {
    if (!spilled && count <= sizeof local - used) {
      std::memcpy(local + used, bytes, count);
      used += count;
      return;
    }
    if (!spilled) spill.assign(local, used);
    spilled = true;
    spill.append(bytes, count);
  }
  std::string Take() { return spilled ? std::move(spill) : std::string(local, used); }
};

}  // namespace

char* PutIntegerText(char* out, std::int32_t value) {
  return WriteInteger(out, value);
}

char* PutCountText(char* out, std::uint64_t count) {
  return WriteDecimal(out, count);
}

char* PutHundredthsText(char* out, std::uint64_t hundredths) {
  out = WriteDecimal(out, hundredths / 100);
  auto cents = static_cast<unsigned>(hundredths % 100);
  out[0] = decimalSeparator;
  out[1] = static_cast<char>('0' + cents / 10);
  out[2] = static_cast<char>('0' + cents % 10);
  return out + 3;
}

void SetDecimalSeparator(char separator) {
  decimalSeparator = separator;
}

std::string FormatText(std::string_view format, std::initializer_list<FormatArg> args) {
  TextBuilder out;
  char number[kNumberTextRoom];
  auto next = args.begin();
  std::size_t i = 0;
  while (i < format.size()) {
    // Plain text up to the next directive goes over in one piece; a "%" at the very end is plain text.
    std::size_t percent = format.find('%', i);
    if (percent == std::string_view::npos || percent + 1 == format.size()) percent = format.size();
    out.Append(format.data() + i, percent - i);
    if (percent == format.size()) break;
    char directive = format[percent + 1];
    if (directive != '%' && directive != 's' && directive != 'd') {
      out.Append("%", 1);
      i = percent + 1;
      continue;
    }
    i = percent + 2;
    if (directive == '%') {
      out.Append("%", 1);
      continue;
    }
    if (next == args.end()) continue;
    const FormatArg& arg = *next++;
    if (directive == 's' && arg.kind == FormatArg::Kind::Text) out.Append(arg.text.data(), arg.text.size());
    if (directive == 'd' && arg.kind == FormatArg::Kind::Integer) {
      char* end = WriteInteger(number, arg.integer);
      out.Append(number, static_cast<std::size_t>(end - number));
    }
  }
  return out.Take();
}
