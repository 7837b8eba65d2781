// FormatText and its number formats.
#include "app/format.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

char decimalSeparator = '.';

void AppendInteger(std::string& out, std::int32_t value) {
  char digits[12];
  // Work in 64 bits so that the most negative value has a magnitude.
  std::int64_t magnitude = value < 0 ? -static_cast<std::int64_t>(value) : value;
  int n = 0;
  do {
    digits[n++] = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  if (value < 0) out += '-';
  while (n > 0) out += digits[--n];
}

// Fixed point with two decimals: first 18 significant digits (to nearest), then half away
// from zero at the second decimal.
void AppendFixed2(std::string& out, long double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%.17Le", value);
  const char* p = text;
  bool negative = *p == '-';
  if (negative) ++p;
  if (*p < '0' || *p > '9') {  // inf or nan: nothing sensible to round
    out += text;
    return;
  }
  std::string digits;  // the 18 significant digits, the first before the point
  for (; *p && *p != 'e' && *p != 'E'; ++p)
    if (*p >= '0' && *p <= '9') digits += *p;
  int exponent = *p ? std::atoi(p + 1) : 0;

  // Digits of the result: integer digits (exponent + 1 of them) and two decimals.
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

}  // namespace

void SetDecimalSeparator(char separator) {
  decimalSeparator = separator;
}

char DecimalSeparator() {
  return decimalSeparator;
}

std::string FormatText(std::string_view format, std::initializer_list<FormatArg> args) {
  std::string out;
  out.reserve(format.size() + 32);
  auto next = args.begin();
  for (std::size_t i = 0; i < format.size(); ++i) {
    char c = format[i];
    if (c != '%' || i + 1 == format.size()) {
      out += c;
      continue;
    }
    char directive = format[i + 1];
    if (directive == '%') {
      out += '%';
      ++i;
      continue;
    }
    if (directive != 's' && directive != 'd' && directive != 'f') {
      out += c;
      continue;
    }
    ++i;
    if (next == args.end()) continue;
    const FormatArg& arg = *next++;
    switch (directive) {
      case 's':
        if (arg.kind == FormatArg::Kind::Text) out += arg.text;
        break;
      case 'd':
        AppendInteger(
            out, arg.kind == FormatArg::Kind::Float ? static_cast<std::int32_t>(arg.number) : arg.integer);
        break;
      case 'f':
        AppendFixed2(out, arg.kind == FormatArg::Kind::Integer ? arg.integer : arg.number);
        break;
    }
  }
  return out;
}
