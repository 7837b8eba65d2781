// FormatText: fills in the %s, %d, %f and %% directives of the program's texts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

struct FormatArg {
  enum class Kind { Text, Integer, Float } kind;
  std::string_view text;
  std::int32_t integer = 0;
  long double number = 0;

  FormatArg(std::string_view t) : kind(Kind::Text), text(t) {}
  FormatArg(const char* t) : kind(Kind::Text), text(t) {}
  FormatArg(const std::string& t) : kind(Kind::Text), text(t) {}
  FormatArg(std::int32_t i) : kind(Kind::Integer), integer(i) {}
  FormatArg(long double f) : kind(Kind::Float), number(f) {}
  FormatArg(double f) : kind(Kind::Float), number(f) {}
};

// Arguments are taken in order; a directive without a matching argument of its kind prints nothing.
std::string FormatText(std::string_view format, std::initializer_list<FormatArg> args);

// %f of value appended to out. The quick way declines (false) the values it cannot round exactly;
// the exact way works from the full binary value. FormatText tries them in this order.
bool AppendFixed2Quick(std::string& out, long double value);
void AppendFixed2Exact(std::string& out, long double value);
void AppendFixed2(std::string& out, long double value);

// %d and %f of one value written at out, for a caller that fills in a fixed text itself (the
// progress line, made after every received block); each returns the end of what it wrote. Room
// for kNumberTextRoom bytes is needed. The %f one returns nullptr, having written nothing, for
// the values that only FormatText renders (magnitudes of 1e15 and more, NaN, infinities).
inline constexpr std::size_t kNumberTextRoom = 32;
char* PutIntegerText(char* out, std::int32_t value);
char* PutFixed2Text(char* out, long double value);
// %f of a non-negative value already rounded to hundredths.
char* PutHundredthsText(char* out, std::uint64_t hundredths);

// The decimal separator that %f uses: read once from the user's locale at start-up.
void SetDecimalSeparator(char separator);
char DecimalSeparator();
