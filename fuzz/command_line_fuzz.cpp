// The command-line splitting rule on arbitrary text.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "app/arguments.h"
#include "fuzz/fuzz_check.h"

namespace {

bool IsBlank(char c) {
  return static_cast<unsigned char>(c) <= 32;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input = fuzz::AsText(data, size);
  const std::vector<std::string> arguments = SplitCommandLine(input);

  // The line ends at a zero byte, as the system's command line does.
  const std::string_view line = input.substr(0, input.find('\0'));
  std::size_t total = 0;
  std::size_t from = 0;
  for (const std::string& argument : arguments) {
    FUZZ_CHECK(!argument.empty(), "no argument is empty", input);
    FUZZ_CHECK(argument.find('"') == std::string::npos, "no argument holds a double quote", input);
    // The bytes of an argument come from the line in order, after those of the argument before.
    for (char c : argument) {
      from = line.find(c, from);
      FUZZ_CHECK(from != std::string_view::npos, "arguments are taken from the line in order", input);
      ++from;
    }
    total += argument.size();
  }
  FUZZ_CHECK(total <= line.size(), "the arguments are no longer than the line", input);

  // Without quotes the rule is a plain split at the bytes 0 to 32.
  if (line.find('"') == std::string_view::npos) {
    std::vector<std::string> expected;
    std::string word;
    for (char c : line) {
      if (!IsBlank(c)) {
        word += c;
      } else if (!word.empty()) {
        expected.push_back(word);
        word.clear();
      }
    }
    if (!word.empty()) expected.push_back(word);
    FUZZ_CHECK(arguments == expected, "a line without quotes splits at the bytes 0 to 32", input);
  }

  // Any argument, quoted on a line of its own, comes back as it was, blanks and all.
  for (const std::string& argument : arguments) {
    const std::vector<std::string> alone = SplitCommandLine("\"" + argument + "\"");
    FUZZ_CHECK(alone.size() == 1 && alone[0] == argument, "a quoted argument comes back unchanged", input);
  }
  return 0;
}
