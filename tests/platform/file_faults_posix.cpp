// Failing file steps on Linux: a close wrapped at link time (--wrap=close, the unit tests only) and a
// memory file sealed against shrinking, opened again through /proc/self/fd.
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <string_view>

#include "tests/platform/file_faults.h"

namespace {
std::string failingClose;  // the absolute path whose next close fails; empty for none
}

extern "C" int __real_close(int fd);

// Every other descriptor is closed as usual.
extern "C" int __wrap_close(int fd) {
  if (!failingClose.empty()) {
    char link[32], target[4096];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    const ssize_t size = ::readlink(link, target, sizeof target);
    if (size > 0 && std::string_view(target, static_cast<std::size_t>(size)) == failingClose) {
      failingClose.clear();
      __real_close(fd);
      errno = EIO;
      return -1;
    }
  }
  return __real_close(fd);
}

namespace test_platform {

bool FailNextCloseOf(const std::string& path) {
  failingClose = std::filesystem::weakly_canonical(path).string();
  return true;
}

std::optional<std::string> FileThatCannotShrink(const std::string& content) {
  const int fd = ::memfd_create("pliv-sealed", MFD_ALLOW_SEALING);
  if (fd < 0 || ::write(fd, content.data(), content.size()) != static_cast<ssize_t>(content.size()) ||
      ::fcntl(fd, F_ADD_SEALS, F_SEAL_SHRINK) != 0)
    return std::nullopt;
  // Left open: the name lives as long as the descriptor.
  return "/proc/self/fd/" + std::to_string(fd);
}

}  // namespace test_platform
