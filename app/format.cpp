// FormatText and its number formats.
#include "app/format.h"

#include <array>
#include <bit>
#include <cmath>
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

// An unsigned integer of up to kWords 32-bit words, least significant first: enough for the exact
// decimal expansion of any long double, scaled by powers of ten.
struct BigNumber {
  static constexpr int kWords = 600;
  std::uint32_t word[kWords];
  int size = 0;  // words in use; the top one is never 0
};

void Copy(BigNumber& to, const BigNumber& from) {
  std::memcpy(to.word, from.word, static_cast<std::size_t>(from.size) * sizeof from.word[0]);
  to.size = from.size;
}

void SetNumber(BigNumber& n, std::uint64_t value) {
  n.size = 0;
  for (; value != 0; value >>= 32) n.word[n.size++] = static_cast<std::uint32_t>(value);
}

void ShiftLeft(BigNumber& n, int bits) {
  if (n.size == 0) return;
  int words = bits / 32, rest = bits % 32;
  n.word[n.size] = 0;
  for (int i = n.size; i >= 0; --i) {
    std::uint64_t high = static_cast<std::uint64_t>(n.word[i]) << rest;
    std::uint32_t low = rest != 0 && i > 0 ? n.word[i - 1] >> (32 - rest) : 0;
    n.word[i + words] = static_cast<std::uint32_t>(high) | low;
  }
  for (int i = 0; i < words; ++i) n.word[i] = 0;
  n.size += words + 1;
  while (n.size > 0 && n.word[n.size - 1] == 0) --n.size;
}

void Multiply(BigNumber& n, std::uint32_t factor) {
  std::uint64_t carry = 0;
  for (int i = 0; i < n.size; ++i) {
    carry += static_cast<std::uint64_t>(n.word[i]) * factor;
    n.word[i] = static_cast<std::uint32_t>(carry);
    carry >>= 32;
  }
  if (carry != 0) n.word[n.size++] = static_cast<std::uint32_t>(carry);
}

void MultiplyByPowerOfTen(BigNumber& n, int power) {
  for (; power >= 9; power -= 9) Multiply(n, 1000000000u);
  std::uint32_t factor = 1;
  while (power-- > 0) factor *= 10;
  Multiply(n, factor);
}

int Compare(const BigNumber& a, const BigNumber& b) {
  if (a.size != b.size) return a.size < b.size ? -1 : 1;
  for (int i = a.size - 1; i >= 0; --i)
    if (a.word[i] != b.word[i]) return a.word[i] < b.word[i] ? -1 : 1;
  return 0;
}

// a -= b, where a >= b.
void Subtract(BigNumber& a, const BigNumber& b) {
  std::int64_t borrow = 0;
  for (int i = 0; i < a.size; ++i) {
    std::int64_t difference = static_cast<std::int64_t>(a.word[i]) - (i < b.size ? b.word[i] : 0) - borrow;
    borrow = difference < 0;
    a.word[i] = static_cast<std::uint32_t>(difference + (borrow << 32));
  }
  while (a.size > 0 && a.word[a.size - 1] == 0) --a.size;
}

// magnitude (finite, > 0) as mantissa * 2^exponent, the mantissa in [2^63, 2^64), by scaling
// with powers of two, which is exact: frexp and ldexp for long double live in the maths library,
// which the program has no other use for.
void Decompose(long double magnitude, std::uint64_t& mantissa, int& exponent) {
  constexpr long double kTwo32 = 4294967296.0L;
  constexpr long double kTwo63 = 9223372036854775808.0L;
  exponent = 0;
  while (magnitude >= 2 * kTwo63) {
    bool far = magnitude >= 2 * kTwo63 * kTwo32;
    magnitude /= far ? kTwo32 : 2;
    exponent += far ? 32 : 1;
  }
  while (magnitude < kTwo63) {
    bool far = magnitude < kTwo63 / kTwo32;
    magnitude *= far ? kTwo32 : 2;
    exponent -= far ? 32 : 1;
  }
  mantissa = static_cast<std::uint64_t>(magnitude);
}

// The first 18 significant decimal digits of a finite magnitude > 0, rounded to nearest (ties to
// even) from its exact binary value, and the decimal exponent of the first digit.
void SignificantDigits(long double magnitude, char (&digits)[18], int& exponent) {
  std::uint64_t mantissa = 0;
  int binaryExponent = 0;
  Decompose(magnitude, mantissa, binaryExponent);
  // magnitude = numerator / denominator, then scaled by ten until the quotient lies in [1, 10).
  BigNumber numerator, denominator, scratch;
  SetNumber(numerator, mantissa);
  SetNumber(denominator, 1);
  if (binaryExponent > 0) ShiftLeft(numerator, binaryExponent);
  if (binaryExponent < 0) ShiftLeft(denominator, -binaryExponent);
  // log10(2) is about 78913 / 2^18: a first guess at the decimal exponent from the binary one,
  // without the maths library.
  int top = binaryExponent + 63;  // magnitude lies in [2^top, 2^(top + 1))
  exponent = top >= 0 ? top * 78913 >> 18 : -((-top * 78913 + (1 << 18) - 1) >> 18);
  if (exponent > 0) MultiplyByPowerOfTen(denominator, exponent);
  if (exponent < 0) MultiplyByPowerOfTen(numerator, -exponent);
  for (;;) {  // the guess may be one off either way
    Copy(scratch, denominator);
    Multiply(scratch, 10);
    if (Compare(numerator, scratch) < 0) break;
    Copy(denominator, scratch);
    ++exponent;
  }
  while (Compare(numerator, denominator) < 0) {
    Multiply(numerator, 10);
    --exponent;
  }
  for (char& digit : digits) {
    digit = '0';
    while (Compare(numerator, denominator) >= 0) {
      Subtract(numerator, denominator);
      ++digit;
    }
    Multiply(numerator, 10);
  }
  // numerator is now ten times the remainder: compare the remainder with half the denominator.
  Copy(scratch, denominator);
  Multiply(scratch, 5);
  int half = Compare(numerator, scratch);
  if (half > 0 || (half == 0 && (digits[17] - '0') % 2 == 1)) {
    int i = 17;
    for (; i >= 0 && digits[i] == '9'; --i) digits[i] = '0';
    if (i >= 0) {
      ++digits[i];
    } else {
      digits[0] = '1';
      ++exponent;
    }
  }
}

// Whether the 18 significant digits of magnitude (a value close to whole + 0.5 hundredths, below
// 1e15) reach that half-hundredth. The half has at most 18 digits itself, so this compares magnitude
// exactly with the lowest value that rounds to it: half - 5 * 10^(exponent - 18).
bool ReachesHalf(long double magnitude, std::uint64_t whole) {
  std::uint64_t half = whole * 10 + 5;  // in thousandths
  int exponent = -4;                    // decimal exponent of the half's first digit
  for (std::uint64_t rest = half; rest != 0; rest /= 10) ++exponent;
  std::uint64_t mantissa = 0;
  int binaryExponent = 0;
  Decompose(magnitude, mantissa, binaryExponent);
  // Both sides times 1000 * 10^(18 - exponent), with the power of two of magnitude moved to the side
  // where it makes a whole number.
  BigNumber value, bound, offset;
  SetNumber(value, mantissa);
  Multiply(value, 1000);
  MultiplyByPowerOfTen(value, 18 - exponent);
  SetNumber(bound, half);
  MultiplyByPowerOfTen(bound, 18 - exponent);
  SetNumber(offset, 5000);
  Subtract(bound, offset);
  if (binaryExponent > 0) ShiftLeft(value, binaryExponent);
  if (binaryExponent < 0) ShiftLeft(bound, -binaryExponent);
  // A binary value never equals the bound (its reduced denominator keeps a factor 5), so the
  // 18-digit step's rule for exact ties never comes into play here.
  return Compare(value, bound) > 0;
}

// Appends a rounded value given in hundredths: a sign, the integer part, the separator, two decimals.
// Writes a rounded value given in hundredths at out (a sign, the integer part, the separator, two
// decimals) and returns the end.
char* WriteHundredths(char* out, bool negative, std::uint64_t hundredths) {
  if (negative) *out++ = '-';
  out = WriteDecimal(out, hundredths / 100);
  auto cents = static_cast<unsigned>(hundredths % 100);
  out[0] = decimalSeparator;
  out[1] = static_cast<char>('0' + cents / 10);
  out[2] = static_cast<char>('0' + cents % 10);
  return out + 3;
}

// The quick way to %f: the value rounded to hundredths, or false for values it leaves to the exact
// way.
bool QuickHundredths(long double value, std::uint64_t& hundredths, bool& negative) {
  long double magnitude = value < 0 ? -value : value;
  if (!(magnitude < 1e15L)) return false;  // NaN fails this test as well
  long double scaled = magnitude * 100;
  auto whole = static_cast<std::uint64_t>(scaled);
  long double fraction = scaled - static_cast<long double>(whole);
  // The product above and the 18-digit step both move the value by far less than this margin, so a
  // fraction outside it rounds the same way in both; inside it only exact arithmetic can tell.
  bool nearHalf = std::fabs(fraction - 0.5L) <= magnitude * 1e-13L;
  hundredths = whole + ((nearHalf ? ReachesHalf(magnitude, whole) : fraction > 0.5L) ? 1 : 0);
  negative = value < 0 && hundredths != 0;
  return true;
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

bool AppendFixed2Quick(std::string& out, long double value) {
  char text[kNumberTextRoom];
  char* end = PutFixed2Text(text, value);
  if (end == nullptr) return false;
  out.append(text, static_cast<std::size_t>(end - text));
  return true;
}

void AppendFixed2Exact(std::string& out, long double value) {
  bool negative = std::signbit(value);
  if (std::isnan(value) || std::isinf(value)) {  // nothing sensible to round
    if (negative) out += '-';
    out += std::isnan(value) ? "nan" : "inf";
    return;
  }
  char significant[18];
  int exponent = 0;
  if (value == 0) {
    std::memset(significant, '0', sizeof significant);
  } else {
    SignificantDigits(negative ? -value : value, significant, exponent);
  }
  // The 18 significant digits, the first before the point.
  std::string digits(significant, sizeof significant);

  // Digits of the result: integer digits (exponent + 1 of them) and two decimals; half away from zero.
  int keep = exponent + 3;
  std::string kept;
  if (keep >= static_cast<int>(digits.size())) {
    kept = digits + std::string(static_cast<std::size_t>(keep) - digits.size(), '0');
  } else if (keep >= 0) {
    kept = digits.substr(0, static_cast<std::size_t>(keep));
    if (digits[static_cast<std::size_t>(keep)] >= '5') {
      int i = keep - 1;
      for (; i >= 0 && kept[static_cast<std::size_t>(i)] == '9'; --i) kept[static_cast<std::size_t>(i)] = '0';
      if (i >= 0)
        ++kept[static_cast<std::size_t>(i)];
      else
        kept.insert(kept.begin(), '1');
    }
  }
  if (kept.size() < 3) kept.insert(0, 3 - kept.size(), '0');
  if (kept.find_first_not_of('0') == std::string::npos) negative = false;  // rounded to zero: no sign
  std::size_t integerDigits = kept.size() - 2;
  std::size_t first = kept.find_first_not_of('0');
  if (first >= integerDigits) first = integerDigits - 1;  // values below 1 keep one "0"

  if (negative) out += '-';
  out.append(kept, first, integerDigits - first);
  out += decimalSeparator;
  out.append(kept, integerDigits, 2);
}

char* PutIntegerText(char* out, std::int32_t value) {
  return WriteInteger(out, value);
}

char* PutFixed2Text(char* out, long double value) {
  std::uint64_t hundredths = 0;
  bool negative = false;
  if (!QuickHundredths(value, hundredths, negative)) return nullptr;
  return WriteHundredths(out, negative, hundredths);
}

char* PutHundredthsText(char* out, std::uint64_t hundredths) {
  return WriteHundredths(out, false, hundredths);
}

void AppendFixed2(std::string& out, long double value) {
  if (!AppendFixed2Quick(out, value)) AppendFixed2Exact(out, value);
}

void SetDecimalSeparator(char separator) {
  decimalSeparator = separator;
}

char DecimalSeparator() {
  return decimalSeparator;
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
    if (directive != '%' && directive != 's' && directive != 'd' && directive != 'f') {
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
    char* end = number;
    switch (directive) {
      case 's':
        if (arg.kind == FormatArg::Kind::Text) out.Append(arg.text.data(), arg.text.size());
        break;
      case 'd':
        if (arg.kind == FormatArg::Kind::Integer) {
          end = WriteInteger(number, arg.integer);
        } else if (arg.kind == FormatArg::Kind::Float && arg.number > -2147483649.0L &&
                   arg.number < 2147483648.0L) {
          // Only a number whose integer part fits converts; NaN and the rest print nothing.
          end = WriteInteger(number, static_cast<std::int32_t>(arg.number));
        }
        break;
      case 'f':
        if (arg.kind != FormatArg::Kind::Text) {
          long double value = arg.kind == FormatArg::Kind::Integer ? arg.integer : arg.number;
          end = PutFixed2Text(number, value);
          if (end == nullptr) {
            end = number;
            std::string exact;
            AppendFixed2Exact(exact, value);
            out.Append(exact.data(), exact.size());
          }
        }
        break;
    }
    out.Append(number, static_cast<std::size_t>(end - number));
  }
  return out.Take();
}
