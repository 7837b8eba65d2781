// The process's code page as the tests see it, independently of the program's own stepping.
#pragma once

namespace test_platform {

// True when the byte at p is the first byte of a double-byte character of the code page.
bool IsLeadByte(const char* p);

}  // namespace test_platform
