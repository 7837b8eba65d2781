// The process's code page as the tests see it, independently of the program's own stepping.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace test_platform {

// True when the byte at p is the first byte of a double-byte character of the code page.
bool IsLeadByte(const char* p);
// The bytes of a UTF-8 text in the process's ANSI code page (POSIX: the UTF-8 bytes themselves);
// none when the code page lacks one of its characters.
std::optional<std::string> AnsiFromUtf8(std::string_view utf8);

}  // namespace test_platform
