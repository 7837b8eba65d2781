// Property checks of the fuzz targets: a violated property aborts with a message that names it,
// so libFuzzer keeps the input that shows it.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace fuzz {

[[noreturn]] inline void Fail(const char* property, const char* condition, std::string_view input) {
  std::fprintf(stderr, "\nPROPERTY VIOLATED: %s\n  (%s)\ninput (%zu bytes): \"", property, condition,
               input.size());
  for (unsigned char c : input.substr(0, 400)) {
    if (c >= 32 && c < 127 && c != '"' && c != '\\')
      std::fputc(c, stderr);
    else
      std::fprintf(stderr, "\\x%02X", c);
  }
  std::fprintf(stderr, "%s\"\n", input.size() > 400 ? "..." : "");
  std::abort();
}

inline std::string_view AsText(const unsigned char* data, std::size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

}  // namespace fuzz

// Aborts with property (a sentence saying what must hold) when condition is false.
#define FUZZ_CHECK(condition, property, input)                   \
  do {                                                           \
    if (!(condition)) ::fuzz::Fail(property, #condition, input); \
  } while (0)
