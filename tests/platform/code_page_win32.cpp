// The code page on Windows: the process's ANSI code page.
#include <windows.h>

#include "tests/platform/code_page.h"

namespace test_platform {

bool IsLeadByte(const char* p) {
  return IsDBCSLeadByte(static_cast<BYTE>(*p)) != 0;
}

}  // namespace test_platform
