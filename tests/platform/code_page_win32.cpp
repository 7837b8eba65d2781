// The code page on Windows: the process's ANSI code page.
#include <windows.h>

#include "tests/platform/code_page.h"

namespace test_platform {

bool IsLeadByte(const char* p) {
  return IsDBCSLeadByte(static_cast<BYTE>(*p)) != 0;
}

std::optional<std::string> AnsiFromUtf8(std::string_view utf8) {
  if (utf8.empty()) return std::string();
  const int size = static_cast<int>(utf8.size());
  std::wstring wide(static_cast<std::size_t>(size), L'\0');
  wide.resize(
      static_cast<std::size_t>(MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(), size)));
  std::string ansi(wide.size() * 2, '\0');
  BOOL lacking = FALSE;
  ansi.resize(static_cast<std::size_t>(
      WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()),
                          ansi.data(), static_cast<int>(ansi.size()), nullptr, &lacking)));
  if (lacking || ansi.empty()) return std::nullopt;
  return ansi;
}

}  // namespace test_platform
