// The process on POSIX.
#include <unistd.h>
#include <climits>
#include <csignal>

#include "platform/process.h"
#include "platform/stdio.h"

namespace platform {

void PrepareProcess() {
  // A write to a closed pipe must fail with EPIPE and be reported, not kill the process.
  std::signal(SIGPIPE, SIG_IGN);
  PrepareStandardHandles();
}

std::optional<std::string> CommandLineText() {
  return std::nullopt;
}

// argv holds the bytes as the shell passed them: nothing was converted.
unsigned CodePageLackingArguments(std::string_view) {
  return 0;
}

std::string_view ModulePath() {
  // Room for the longest path the kernel gives back, and the zero byte behind it.
  static char path[PATH_MAX + 1];
  ssize_t n = ::readlink("/proc/self/exe", path, PATH_MAX);
  if (n < 0) return "pliv";
  path[n] = '\0';
  return {path, static_cast<std::size_t>(n)};
}

// UTF-8 continuation bytes are never ASCII, so stepping byte by byte never mistakes a
// part of a character for a blank, a quote or a separator.
const char* NextChar(const char* p) {
  return *p ? p + 1 : p;
}

void EndProcess(int code) {
  ::_exit(code);
}

}  // namespace platform
