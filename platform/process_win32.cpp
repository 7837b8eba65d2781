// The process on Windows.
#include <windows.h>
#include <cwchar>

#include "platform/exact_conversion.h"
#include "platform/process.h"
#include "platform/stdio.h"

namespace platform {

static_assert(kCodePageUtf8 == CP_UTF8 && kFailOnInvalidChars == WC_ERR_INVALID_CHARS &&
              kNoBestFitChars == WC_NO_BEST_FIT_CHARS);

namespace {

// Where the program's own token ends on the UTF-16 command line, by the rule that splits the
// arguments: blanks and empty quote pairs first, then up to a blank outside double quotes.
const wchar_t* SkipProgramTokenW(const wchar_t* p) {
  for (;;) {
    while (*p != 0 && *p <= 32) ++p;
    if (p[0] != L'"' || p[1] != L'"') break;
    p += 2;
  }
  for (bool quoted = false; *p != 0; ++p) {
    if (*p == L'"') {
      quoted = !quoted;
    } else if (!quoted && *p <= 32) {
      break;
    }
  }
  return p;
}

}  // namespace

void PrepareProcess() {
  PrepareStandardHandles();
}

std::optional<std::string> CommandLineText() {
  return std::string(GetCommandLineA());
}

// The ANSI command line is made from the UTF-16 one with best fit. Converted here without it, any
// character the code page lacks shows, and the result must then be byte for byte the text the
// arguments are read from. Only the arguments count: the program's own path may hold any name
// (argument 0 comes from the module path), and a look-alike quote or blank in it moves where the
// ANSI token ends, which the comparison catches.
unsigned CodePageLackingArguments(std::string_view arguments) {
  const UINT codePage = GetACP();
  const wchar_t* wide = SkipProgramTokenW(GetCommandLineW());
  const std::size_t length = std::wcslen(wide);
  if (length == 0) return arguments.empty() ? 0 : codePage;
  const ExactConversion conversion = ExactConversionFor(codePage);
  BOOL usedDefault = FALSE;
  // At most four bytes per UTF-16 unit (GB18030 has four-byte forms inside the BMP; UTF-8 takes
  // three, a double-byte code page two).
  std::string exact(length * 4, '\0');
  const int size = WideCharToMultiByte(conversion.codePage, conversion.flags, wide, static_cast<int>(length),
                                       exact.data(), static_cast<int>(exact.size()), nullptr,
                                       conversion.askUsedDefaultChar ? &usedDefault : nullptr);
  if (size <= 0 || usedDefault) return codePage;
  exact.resize(static_cast<std::size_t>(size));
  return exact == arguments ? 0 : codePage;
}

std::string_view ModulePath() {
  // Room for the longest path Windows has (32767 characters) and its terminator.
  static char path[32768];
  DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
  if (n == 0 || n >= sizeof path) return "pliv.exe";
  return {path, n};
}

const char* NextChar(const char* p) {
  return CharNextA(p);
}

void EndProcess(int code) {
  ExitProcess(static_cast<UINT>(code));
}

}  // namespace platform
