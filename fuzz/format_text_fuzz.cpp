// FormatText with an arbitrary format and arguments of every kind. The output is read back
// directive by directive: literal bytes, texts and integers must be exact, and every %f must be a
// fixed-point number with two decimals within rounding distance of its value.
#include <cfloat>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/format.h"
#include "fuzz/fuzz_check.h"

namespace {

struct Input {
  const std::uint8_t* data;
  std::size_t size;

  std::uint8_t Byte() {
    if (size == 0) return 0;
    --size;
    return *data++;
  }
  void Bytes(void* out, std::size_t count) {
    std::memset(out, 0, count);
    const std::size_t n = count < size ? count : size;
    std::memcpy(out, data, n);
    data += n;
    size -= n;
  }
};

std::string Decimal(std::int64_t value) {
  return std::to_string(value);
}

// The arguments of one call. Texts live in storage, which must not move while args point into it.
struct Arguments {
  std::vector<std::string> storage;
  std::vector<FormatArg> args;
};

Arguments ReadArguments(Input& in, std::size_t count) {
  Arguments result;
  result.storage.reserve(count);
  for (std::size_t i = 0; i < count; ++i) {
    switch (in.Byte() % 4) {
      case 0: {
        std::string text(in.Byte() % 16, '\0');
        in.Bytes(text.data(), text.size());
        result.storage.push_back(text);
        result.args.emplace_back(std::string_view(result.storage.back()));
        break;
      }
      case 1: {
        std::int32_t value;
        in.Bytes(&value, sizeof value);
        result.args.emplace_back(value);
        break;
      }
      case 2: {
        double value;
        in.Bytes(&value, sizeof value);
        result.args.emplace_back(value);
        break;
      }
      default: {
        long double value = 0;
        in.Bytes(&value, 10);  // the x87 extended format, odd encodings included
        result.args.emplace_back(value);
        break;
      }
    }
  }
  return result;
}

std::string Call(std::string_view format, const std::vector<FormatArg>& a) {
  switch (a.size()) {
    case 0:
      return FormatText(format, {});
    case 1:
      return FormatText(format, {a[0]});
    case 2:
      return FormatText(format, {a[0], a[1]});
    case 3:
      return FormatText(format, {a[0], a[1], a[2]});
    default:
      return FormatText(format, {a[0], a[1], a[2], a[3]});
  }
}

struct Reader {
  std::string_view out;
  std::size_t at = 0;
  std::string_view input;

  void Expect(std::string_view text, const char* property) {
    FUZZ_CHECK(out.substr(at, text.size()) == text, property, input);
    at += text.size();
  }
  bool Digit() const { return at < out.size() && out[at] >= '0' && out[at] <= '9'; }
};

// Reads one %f figure at the reader's position and checks it against value.
void ExpectFixed(Reader& r, long double value, char separator) {
  const std::size_t start = r.at;
  if (std::isnan(value) || std::isinf(value)) {
    // No figure to round: the value's own name, as the C library spells it.
    if (r.out.substr(r.at, 1) == "-") ++r.at;
    const std::string_view name = r.out.substr(r.at, 3);
    FUZZ_CHECK(name == (std::isnan(value) ? "nan" : "inf"), "a value that is no number prints its name",
               r.input);
    r.at += 3;
    return;
  }
  const bool minus = r.out.substr(r.at, 1) == "-";
  if (minus) ++r.at;
  const std::size_t integerStart = r.at;
  while (r.Digit()) ++r.at;
  FUZZ_CHECK(r.at > integerStart, "%f has an integer part", r.input);
  FUZZ_CHECK(r.at - integerStart == 1 || r.out[integerStart] != '0', "%f has no leading zeros", r.input);
  FUZZ_CHECK(r.out.substr(r.at, 1) == std::string_view(&separator, 1), "%f uses the decimal separator",
             r.input);
  ++r.at;
  FUZZ_CHECK(r.Digit(), "%f has two decimals", r.input);
  ++r.at;
  FUZZ_CHECK(r.Digit(), "%f has two decimals", r.input);
  ++r.at;

  std::string figure(r.out.substr(start, r.at - start));
  figure[figure.size() - 3] = '.';
  const long double shown = std::strtold(figure.c_str(), nullptr);
  FUZZ_CHECK(!minus || shown != 0, "%f writes no \"-\" before a zero", r.input);
  FUZZ_CHECK(!minus || value < 0, "%f writes \"-\" only for a negative value", r.input);
  FUZZ_CHECK(minus || shown == 0 || value > 0, "%f writes \"-\" for a negative value that is not zero",
             r.input);
  // 18 significant digits first, then half away from zero at the second decimal.
  if (std::isinf(shown)) {
    // Rounded to 18 digits, the largest values read back beyond the type's range.
    FUZZ_CHECK(std::fabs(value) >= LDBL_MAX * (1 - 1e-17L), "%f is within rounding distance of the value",
               r.input);
    return;
  }
  const long double tolerance = 0.005L * (1 + 1e-15L) + std::fabs(value) * 1e-17L;
  FUZZ_CHECK(std::fabs(shown - value) <= tolerance, "%f is within rounding distance of the value", r.input);
  // Half away from zero: a value at least half a cent from zero never shows as zero.
  FUZZ_CHECK(shown != 0 || std::fabs(value) < 0.005L * (1 + 1e-15L), "%f rounds half away from zero",
             r.input);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Input in{data, size};
  const std::uint8_t head = in.Byte();
  const char separator = head & 0x80 ? ',' : '.';
  Arguments arguments = ReadArguments(in, head % 5);
  const std::string_view format(reinterpret_cast<const char*>(in.data), in.size);
  const std::string_view input = fuzz::AsText(data, size);

  SetDecimalSeparator(separator);
  const std::string out = Call(format, arguments.args);
  Reader r{out, 0, input};

  std::size_t next = 0;
  for (std::size_t i = 0; i < format.size(); ++i) {
    const char directive = i + 1 < format.size() ? format[i + 1] : '\0';
    if (format[i] != '%' || std::string_view("sdf%").find(directive) == std::string_view::npos ||
        directive == '\0') {
      r.Expect(format.substr(i, 1), "bytes outside directives are copied unchanged");
      continue;
    }
    ++i;
    if (directive == '%') {
      r.Expect("%", "%% prints one \"%\"");
      continue;
    }
    if (next == arguments.args.size()) continue;  // no argument left: nothing
    const FormatArg& arg = arguments.args[next++];
    using Kind = FormatArg::Kind;
    if (directive == 's') {
      if (arg.kind == Kind::Text) r.Expect(arg.text, "%s prints the text unchanged");
    } else if (directive == 'd') {
      if (arg.kind == Kind::Integer) {
        r.Expect(Decimal(arg.integer), "%d prints the integer in plain decimal");
      } else if (arg.kind == Kind::Float && arg.number > -2147483649.0L && arg.number < 2147483648.0L) {
        r.Expect(Decimal(static_cast<std::int32_t>(arg.number)), "%d prints a number's integer part");
      }
    } else if (arg.kind == Kind::Integer) {
      r.Expect(Decimal(arg.integer) + separator + "00", "%f of an integer has the decimals 00");
    } else if (arg.kind == Kind::Float) {
      ExpectFixed(r, arg.number, separator);
    }
  }
  FUZZ_CHECK(r.at == out.size(), "nothing follows the filled-in format", input);
  return 0;
}
