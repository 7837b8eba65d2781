// The code page on POSIX: UTF-8 or a single-byte set, neither with lead bytes of the Windows kind.
#include "tests/platform/code_page.h"

namespace test_platform {

bool IsLeadByte(const char*) {
  return false;
}

std::optional<std::string> AnsiFromUtf8(std::string_view utf8) {
  return std::string(utf8);
}

}  // namespace test_platform
