// Standard handles on POSIX: file descriptors 1 and 2.
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdlib>
#include <cstring>

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

// Waits until fd can take more bytes; false with errno set when even that fails.
bool WaitUntilWritable(int fd) {
  pollfd entry{fd, POLLOUT, 0};
  while (::poll(&entry, 1, -1) < 0)
    if (errno != EINTR) return false;
  return true;
}

// A descriptor that the parent left non-blocking (some supervisors and runtimes do) refuses bytes
// while its reader is behind: that is a reason to wait, not an error.
bool WriteAll(int fd, const char* data, std::size_t size, int& error) {
  while (size > 0) {
    ssize_t n = ::write(fd, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      if ((errno == EAGAIN || errno == EWOULDBLOCK) && WaitUntilWritable(fd)) continue;
      error = ReportedError(errno);
      return false;
    }
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

// False when descriptor 1 was closed at start-up and only holds /dev/null's place.
bool standardOutputOpen = true;

// Bytes held for the next write to standard output, with room behind them for the bytes of that
// write (the output stream writes at most its 128-byte buffer at a time).
char held[1024];
std::size_t heldSize = 0;

void WriteHeld() {
  if (heldSize == 0) return;
  int ignored = 0;
  WriteAll(STDOUT_FILENO, held, heldSize, ignored);
  heldSize = 0;
}

}  // namespace

void HoldStandardOutput(const char* data, std::size_t size) {
  static const bool atExit = std::atexit(&WriteHeld) == 0;
  (void)atExit;
  if (size > sizeof held / 2 - heldSize) WriteHeld();  // seldom: control bytes pile up only before text
  if (size > sizeof held / 2) {
    int ignored = 0;
    WriteAll(STDOUT_FILENO, data, size, ignored);
    return;
  }
  std::memcpy(held + heldSize, data, size);
  heldSize += size;
}

void PrepareStandardHandles() {
  for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
    if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    if (fd == STDOUT_FILENO) standardOutputOpen = false;
    int opened = ::open("/dev/null", O_RDWR);
    if (opened >= 0 && opened != fd) {
      ::dup2(opened, fd);
      ::close(opened);
    }
  }
}

StdKind StandardOutputKind() {
  struct stat st;
  if (!standardOutputOpen || ::fstat(STDOUT_FILENO, &st) != 0) return StdKind::Unknown;
  if (::isatty(STDOUT_FILENO)) return StdKind::Console;
  if (S_ISFIFO(st.st_mode) || S_ISSOCK(st.st_mode)) return StdKind::Pipe;
  return StdKind::File;
}

bool WriteStandardOutput(const char* data, std::size_t size, int& error) {
  if (heldSize == 0) return WriteAll(STDOUT_FILENO, data, size, error);
  if (size > sizeof held - heldSize) {
    WriteHeld();
    return WriteAll(STDOUT_FILENO, data, size, error);
  }
  std::memcpy(held + heldSize, data, size);
  std::size_t total = heldSize + size;
  heldSize = 0;
  return WriteAll(STDOUT_FILENO, held, total, error);
}

void WriteStandardError(const char* data, std::size_t size) {
  WriteHeld();
  int ignored = 0;
  WriteAll(STDERR_FILENO, data, size, ignored);
}

void ToConsoleCodePage(char*, std::size_t) {}

}  // namespace platform
