// The output file on POSIX: a file descriptor.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>
#include <cerrno>

#include "platform/files.h"

namespace platform {

FileHandle OpenForWriting(const std::string& name) {
  // Mode 0666 under the user's umask, as for any file a program creates.
  int fd;
  do {
    fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
  } while (fd < 0 && errno == EINTR);
  return fd < 0 ? kNoFile : fd;
}

FileHandle OpenDiskFileForWriting(const std::string& name) {
  return OpenForWriting(name);
}

bool IsDeviceName(const std::string&) {
  return false;
}

bool IsDiskFile(FileHandle file) {
  struct stat st;
  return ::fstat(static_cast<int>(file), &st) == 0 && S_ISREG(st.st_mode);
}

bool FileLength(FileHandle file, std::int64_t& length) {
  struct stat st;
  if (::fstat(static_cast<int>(file), &st) != 0) return false;
  // Only a regular file's st_size is the length of what it holds.
  length = S_ISREG(st.st_mode) ? static_cast<std::int64_t>(st.st_size) : 0;
  return true;
}

bool SetFilePosition(FileHandle file, std::int64_t position) {
  return ::lseek(static_cast<int>(file), static_cast<off_t>(position), SEEK_SET) == position;
}

bool WriteToFile(FileHandle file, const char* data, std::size_t size) {
  // write may take fewer bytes than asked (signals, pipes, very large sizes): go on until all are out.
  while (size > 0) {
    ssize_t n = ::write(static_cast<int>(file), data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (n == 0) return false;
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

bool CutFileHere(FileHandle file) {
  const int fd = static_cast<int>(file);
  struct stat st;
  if (::fstat(fd, &st) != 0) return false;
  // Devices and pipes (a name such as /dev/null) have no length to cut: no old tail stays there.
  if (!S_ISREG(st.st_mode)) return true;
  const off_t position = ::lseek(fd, 0, SEEK_CUR);
  return position >= 0 && ::ftruncate(fd, position) == 0;
}

bool CloseFile(FileHandle file) {
  // A failed close can mean data never reached the disk (NFS, quota); EINTR leaves the descriptor
  // closed on Linux, so it is not retried.
  return ::close(static_cast<int>(file)) == 0;
}

PathParts SplitPath(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return {std::string(), path};
  return {path.substr(0, slash + 1), path.substr(slash + 1)};
}

PathKind KindOfPath(const std::string& path) {
  // Without the slashes behind a folder's name, so that a file there reads as a file, not as missing.
  std::string asked = path;
  while (asked.size() > 1 && asked.back() == '/') asked.pop_back();
  struct stat st;
  if (::stat(asked.c_str(), &st) != 0)
    return errno == ENOENT || errno == ENOTDIR ? PathKind::Missing : PathKind::Unknown;
  if (S_ISDIR(st.st_mode)) return PathKind::Folder;
  return S_ISREG(st.st_mode) ? PathKind::File : PathKind::Other;
}

bool IsNameTooLong(const std::string& folder, const std::string& last) {
  // -1: no limit, or none the system can tell.
  const long limit = ::pathconf(folder.empty() ? "." : folder.c_str(), _PC_NAME_MAX);
  return limit > 0 && last.size() > static_cast<unsigned long>(limit);
}

char RefusedNameCharacter(const std::string&) {
  return 0;
}

bool CanOpenExistingForWriting(const std::string& name) {
  // No O_CREAT and no O_TRUNC: the file stays as it is. O_NONBLOCK and O_NOCTTY in case it has
  // become a pipe or a terminal since it was looked at: the open must neither wait nor take it over.
  int fd;
  do {
    fd = ::open(name.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return false;
  ::close(fd);
  return true;
}

}  // namespace platform
