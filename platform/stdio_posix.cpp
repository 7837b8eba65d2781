// Standard handles on POSIX: file descriptors 1 and 2.
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdlib>

#include "platform/stdio.h"

namespace platform {
namespace {

// The report's messages for 2 to 5 name conditions ("File not found", "Invalid filename",
// "Too many open files", "File access denied"); errno numbers them differently, so map the
// conditions onto 2 to 5 and move errno's own 3, 4 and 5 out of that range.
int ReportedError(int error) {
  switch (error) {
    case ENOENT:
      return 2;
    case ENAMETOOLONG:
      return 3;
    case EMFILE:
      return 4;
    case EACCES:
    case EPERM:
      return 5;
    case 3:
    case 4:
    case 5:
      return 1000 + error;
    default:
      return error;
  }
}

bool WriteAll(int fd, const char* data, std::size_t size, int& error) {
  while (size > 0) {
    ssize_t n = ::write(fd, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      error = ReportedError(errno);
      return false;
    }
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

// Bytes held for the next write to standard output.
std::string held;

void WriteHeld() {
  if (held.empty()) return;
  int ignored = 0;
  WriteAll(STDOUT_FILENO, held.data(), held.size(), ignored);
  held.clear();
}

}  // namespace

void HoldStandardOutput(const char* data, std::size_t size) {
  static const bool atExit = std::atexit(&WriteHeld) == 0;
  (void)atExit;
  held.append(data, size);
}

StdKind StandardOutputKind() {
  struct stat st;
  if (::fstat(STDOUT_FILENO, &st) != 0) return StdKind::Unknown;
  if (::isatty(STDOUT_FILENO)) return StdKind::Console;
  if (S_ISFIFO(st.st_mode) || S_ISSOCK(st.st_mode)) return StdKind::Pipe;
  return StdKind::File;
}

bool WriteStandardOutput(const char* data, std::size_t size, int& error) {
  if (held.empty()) return WriteAll(STDOUT_FILENO, data, size, error);
  held.append(data, size);
  bool written = WriteAll(STDOUT_FILENO, held.data(), held.size(), error);
  held.clear();
  return written;
}

void WriteStandardError(const char* data, std::size_t size) {
  WriteHeld();
  int ignored = 0;
  WriteAll(STDERR_FILENO, data, size, ignored);
}

std::string ToConsoleCodePage(std::string text) {
  return text;
}

}  // namespace platform
