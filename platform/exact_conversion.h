// How WideCharToMultiByte is asked to convert a text exactly into a code page, so that a character
// the code page lacks shows instead of its look-alike. Plain numbers, kept apart from the call, so
// that the choice can be checked on every platform.
#pragma once

namespace platform {

inline constexpr unsigned kCodePageUtf8 = 65001;            // CP_UTF8
inline constexpr unsigned kCodePageGb18030 = 54936;         // GB18030
inline constexpr unsigned long kFailOnInvalidChars = 0x80;  // WC_ERR_INVALID_CHARS
inline constexpr unsigned long kNoBestFitChars = 0x400;     // WC_NO_BEST_FIT_CHARS

struct ExactConversion {
  unsigned codePage;        // passed as the code page
  unsigned long flags;      // passed as dwFlags
  bool askUsedDefaultChar;  // whether lpUsedDefaultChar is passed, to learn of a lacking character
};

// The code page goes by its own number (GetACP's), never as CP_ACP: WC_ERR_INVALID_CHARS is taken
// only with 65001 and 54936, and whether CP_ACP standing for one of them counts is not written.
// These two have a form for every character but a lone surrogate, so there is no best fit to turn
// off; they take no other flag, and UTF-8 no lpUsedDefaultChar. Every other code page may lack
// characters.
constexpr ExactConversion ExactConversionFor(unsigned codePage) {
  if (codePage == kCodePageUtf8 || codePage == kCodePageGb18030)
    return {codePage, kFailOnInvalidChars, false};
  return {codePage, kNoBestFitChars, true};
}

}  // namespace platform
