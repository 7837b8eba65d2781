// Text helpers shared by the URL splitting and the header parsing.
#pragma once

#include <string>
#include <string_view>

// The text without leading and trailing bytes of code 0 to 32.
std::string TrimBlanks(std::string_view text);
// Cuts source at the first delimiter: returns the trimmed text before it and leaves the text
// after it in source. Without a delimiter returns empty and leaves source unchanged.
std::string CutToken(std::string& source, std::string_view delimiter);
// True when every byte is a digit 0-9 (so also for the empty text).
bool IsAllDigits(std::string_view text);
// The start of the character after the one at p within [p, end): multi-byte characters of the
// code page are stepped over whole, and a zero byte is an ordinary character.
const char* NextCharIn(const char* p, const char* end);
