// The process: its command line, its executable, its start and its end.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace platform {

// Process-wide settings made once before anything else runs (a write to a closed pipe then
// fails with an error instead of ending the process; the standard handles are in place).
void PrepareProcess();
// The whole command line as one text where the system keeps it so; none where the shell
// has already split it into argv.
std::optional<std::string> CommandLineText();
// Zero when the arguments (the part of CommandLineText after the program's own token) reached the
// program as they were typed; otherwise the number of the ANSI code page that lacks one of their
// characters. Windows hands such a character on as a look-alike ("best fit": a fullwidth quotation
// mark as a real one, u with diaeresis as u), which changes what the arguments say. Always zero on
// POSIX.
unsigned CodePageLackingArguments(std::string_view arguments);
// The full path of the program's executable file, read into fixed storage (a zero byte follows
// it): the error report needs it when no memory is left.
std::string_view ModulePath();
// The byte after the character that starts at p (multi-byte characters of the code page whole).
const char* NextChar(const char* p);
// Ends the process at once with the exit code.
[[noreturn]] void EndProcess(int code);

}  // namespace platform
