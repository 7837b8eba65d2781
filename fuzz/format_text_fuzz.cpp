// FormatText with an arbitrary format and arguments of both kinds. The output is read back
// directive by directive: literal bytes, texts and integers must be exact.
#include <cstddef>
#include <cstdint>
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
    if (in.Byte() % 2 == 0) {
      std::string text(in.Byte() % 16, '\0');
      in.Bytes(text.data(), text.size());
      result.storage.push_back(text);
      result.args.emplace_back(std::string_view(result.storage.back()));
    } else {
      std::int32_t value;
      in.Bytes(&value, sizeof value);
      result.args.emplace_back(value);
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
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Input in{data, size};
  const std::uint8_t head = in.Byte();
  Arguments arguments = ReadArguments(in, head % 5);
  const std::string_view format(reinterpret_cast<const char*>(in.data), in.size);
  const std::string_view input = fuzz::AsText(data, size);

  const std::string out = Call(format, arguments.args);
  Reader r{out, 0, input};

  std::size_t next = 0;
  for (std::size_t i = 0; i < format.size(); ++i) {
    const char directive = i + 1 < format.size() ? format[i + 1] : '\0';
    if (format[i] != '%' || std::string_view("sd%").find(directive) == std::string_view::npos ||
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
    } else if (arg.kind == Kind::Integer) {
      r.Expect(Decimal(arg.integer), "%d prints the integer in plain decimal");
    }
  }
  FUZZ_CHECK(r.at == out.size(), "nothing follows the filled-in format", input);
  return 0;
}
