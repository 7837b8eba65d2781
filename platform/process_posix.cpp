// The process on POSIX.
#include <unistd.h>
#include <csignal>

#include "platform/process.h"

namespace platform {

void PrepareProcess() {
  // A write to a closed pipe must fail with EPIPE and be reported, not kill the process.
  std::signal(SIGPIPE, SIG_IGN);
}

std::optional<std::string> CommandLineText() {
  return std::nullopt;
}

std::string ModulePath() {
  std::string path(256, '\0');
  for (;;) {
    ssize_t n = ::readlink("/proc/self/exe", path.data(), path.size());
    if (n < 0) return "pliv";
    if (static_cast<std::size_t>(n) < path.size()) {
      path.resize(static_cast<std::size_t>(n));
      return path;
    }
    path.resize(path.size() * 2);
  }
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
