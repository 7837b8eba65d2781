// FormatText: fills in the %s, %d and %% directives of the program's texts; the integer writers
// behind it also write the figures of the progress line.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

struct FormatArg {
  enum class Kind { Text, Integer } kind;
  std::string_view text;
  std::int32_t integer = 0;

  FormatArg(std::string_view t) : kind(Kind::Text), text(t) {}
  FormatArg(const char* t) : kind(Kind::Text), text(t) {}
  FormatArg(const std::string& t) : kind(Kind::Text), text(t) {}
  FormatArg(std::int32_t i) : kind(Kind::Integer), integer(i) {}
};

// Arguments are taken in order; a directive without a matching argument of its kind prints nothing.
std::string FormatText(std::string_view format, std::initializer_list<FormatArg> args);

// One number written at out, for a caller that fills in a fixed text itself (the progress line,
// made after every received block); each returns the end of what it wrote. Room for
// kNumberTextRoom bytes is needed.
inline constexpr std::size_t kNumberTextRoom = 32;
// As %d writes it.
char* PutIntegerText(char* out, std::int32_t value);
// A count that may pass the 32-bit range, written as %d would write it.
char* PutCountText(char* out, std::uint64_t count);
// A non-negative figure already rounded to hundredths: the integer part, the decimal separator
// and two decimals.
char* PutHundredthsText(char* out, std::uint64_t hundredths);

// The decimal separator of the figures: read once from the user's locale at start-up.
void SetDecimalSeparator(char separator);
