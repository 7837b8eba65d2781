// Failing file steps on Linux: a close wrapped at link time (--wrap=close, the unit tests only) and a
// memory file sealed against shrinking, opened again through /proc/self/fd.
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>
#include <cerrno>
#include <filesystem>

#include "tests/platform/file_faults.h"

static std::filesystem::path failingClose;  // whose next close fails; empty for none

extern "C" int __real_close(int fd);

// Every other descriptor is closed as usual.
extern "C" int __wrap_close(int fd) {
  std::error_code error;
  if (failingClose.empty() ||
      std::filesystem::read_symlink("/proc/self/fd/" + std::to_string(fd), error) != failingClose)
    return __real_close(fd);
  failingClose.clear();
  __real_close(fd);
  errno = EIO;
  return -1;
}

namespace test_platform {

bool FailNextCloseOf(const std::string& path) {
  failingClose = std::filesystem::weakly_canonical(path);
  return true;
}

std::optional<std::string> FileThatCannotShrink(const std::string& content) {
  const int fd = ::memfd_create("pliv-sealed", MFD_ALLOW_SEALING);
  if (fd < 0 || ::write(fd, content.data(), content.size()) != static_cast<ssize_t>(content.size()) ||
      ::fcntl(fd, F_ADD_SEALS, F_SEAL_SHRINK) != 0)
    return std::nullopt;
  return "/proc/self/fd/" + std::to_string(fd);  // as long as the descriptor stays open
}

}  // namespace test_platform
