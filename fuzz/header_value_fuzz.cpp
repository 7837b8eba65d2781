// GetHeaderValue on arbitrary header text, against the line-by-line cutting of the header
// text with the whole-field-name match.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/fuzz_check.h"
#include "net/headers.h"
#include "request/text.h"

namespace {

std::string Lower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return lower;
}

// Cuts the lines off a copy of the text one by one; the first line whose field name (the
// trimmed text before its first ":") equals name, ignoring ASCII case, gives the trimmed rest.
std::string Reference(std::string_view name, std::string_view headerText) {
  std::string work = TrimBlanks(headerText) + "\r\n";
  do {
    std::string line = CutToken(work, "\r\n");
    const std::size_t colon = line.find(':');
    if (colon != std::string::npos && Lower(TrimBlanks(line.substr(0, colon))) == Lower(name))
      return TrimBlanks(line.substr(colon + 1));
  } while (!work.empty());
  return {};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input = fuzz::AsText(data, size);
  if (input.empty()) return 0;
  // The first byte picks the name: Content-Length, or a name taken from the input.
  std::string_view rest = input.substr(1);
  std::string_view name = "Content-Length";
  if (input[0] & 1) {
    const std::size_t length = std::min<std::size_t>(static_cast<unsigned char>(input[0]) >> 4, rest.size());
    name = rest.substr(0, length);
    rest.remove_prefix(length);
  }
  const std::string value = GetHeaderValue(name, rest);

  FUZZ_CHECK(value == Reference(name, rest), "the value is that of the first line with the field name",
             input);
  FUZZ_CHECK(value == TrimBlanks(value), "the value is trimmed", input);
  FUZZ_CHECK(value.find("\r\n") == std::string::npos, "the value stays within one line", input);
  FUZZ_CHECK(value.empty() || rest.find(value) != std::string_view::npos, "the value comes from the text",
             input);

  if (name == "Content-Length") {
    // A line that merely contains the name, before the real one, decides nothing.
    const std::string shadowed = "X-Content-Length-Note: 5\r\nAccept: Content-Length\r\n" + std::string(rest);
    FUZZ_CHECK(GetHeaderValue(name, shadowed) == value, "only the whole field name matches", input);
    FUZZ_CHECK(GetHeaderValue("CONTENT-length", rest) == value, "the name matches in any ASCII case", input);
  }
  return 0;
}
