// Standard handles: what standard output is, and raw writes to standard output and error.
#pragma once

#include <cstddef>

namespace platform {

enum class StdKind { Console, File, Pipe, Unknown };

// Run once at start-up, before anything opens a file or socket. On POSIX a closed descriptor 0, 1
// or 2 would be taken by the next socket or file, and standard error's report would go there; each
// closed one is opened on /dev/null. Standard output stays "not open" all the same.
void PrepareStandardHandles();

// What the standard output handle is now (Unknown: not open or of no known type).
StdKind StandardOutputKind();
// Writes all bytes to standard output; false with the error number on failure. A Windows console
// gets text with bytes of 128 and above as the characters they are in the ANSI code page.
bool WriteStandardOutput(const char* data, std::size_t size, int& error);
// Holds bytes for standard output until the next write to it, which sends them first, in the same
// write. A terminal thus gets the control sequences that prepare a status line together with its
// text in one piece. Held bytes also go out before anything is written to standard error and when
// the process exits. (Windows has no use for it: its console is controlled by calls, not bytes.)
void HoldStandardOutput(const char* data, std::size_t size);
// Writes all bytes to standard error; failures are ignored (there is nowhere left to report).
void WriteStandardError(const char* data, std::size_t size);
// The error report's text as the console of standard error shows it (ANSI to OEM code page),
// converted in place.
void ToConsoleCodePage(char* text, std::size_t size);

}  // namespace platform
