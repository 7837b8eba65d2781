// The output file on POSIX: a file descriptor.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/types.h>
#include <sys/vfs.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>
#include <limits>

#include "platform/files.h"

namespace platform {
namespace {

// Not errno values: another program holds the file with an exclusive flock (a writer), or with
// shared ones only (readers).
constexpr int kHeldByWriter = -1;
constexpr int kHeldByReader = -2;
// The errno of the first failed operation since the open or the check began; 0 for none.
int firstError = 0;

bool Failed() {
  if (firstError == 0) firstError = errno != 0 ? errno : EIO;
  return false;
}

// Tries a flock without waiting: false only when another holder's lock excludes this one
// (EWOULDBLOCK). A file system without locks (ENOLCK, EINVAL) counts as locked.
bool Lock(int fd, int operation) {
  int result;
  do {
    result = ::flock(fd, operation | LOCK_NB);
  } while (result != 0 && errno == EINTR);
  return result == 0 || errno != EWOULDBLOCK;
}

// Whether the save takes its one-writer lock on the open disk file.
bool TakesLock(int fd) {
  struct statfs fs;
  return ::fstatfs(fd, &fs) != 0 || LocksOnFileSystem(static_cast<std::uint64_t>(fs.f_type));
}

// The text of a reason, whichever strerror_r the C library has: GNU's returns it, XSI's fills buffer.
[[maybe_unused]] const char* ErrorText(const char* text, const char*) {
  return text;
}
[[maybe_unused]] const char* ErrorText(int result, const char* buffer) {
  return result == 0 ? buffer : "unknown error";
}

}  // namespace

FileHandle OpenForWriting(const std::string& name) {
  firstError = 0;
  // Mode 0666 under the user's umask, as for any file a program creates.
  int fd;
  do {
    fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) {
    Failed();
    return kNoFile;
  }
  // One writer at a time, as the sharing of the Windows open gives: two runs over one file would
  // leave a mixture of both. The lock stays until the close. A pipe or a device is not locked.
  if (IsDiskFile(fd) && TakesLock(fd) && !Lock(fd, LOCK_EX)) {
    // Whose lock it is, for the reason: a shared one that is taken at once was only readers'.
    firstError = Lock(fd, LOCK_SH) ? kHeldByReader : kHeldByWriter;
    ::close(fd);
    return kNoFile;
  }
  return fd;
}

bool IsHeldByAnother() {
  return firstError == kHeldByWriter || firstError == kHeldByReader;
}

bool LocksOnFileSystem(std::uint64_t kind) {
  // CIFS_MAGIC_NUMBER, SMB2_MAGIC_NUMBER (the smb3 client), SMB_SUPER_MAGIC (the old smbfs).
  return kind != 0xFF534D42u && kind != 0xFE534D42u && kind != 0x517Bu;
}

FileHandle OpenDiskFileForWriting(const std::string& name) {
  return OpenForWriting(name);
}

bool IsDeviceName(std::string_view) {
  return false;
}

bool IsDiskFile(FileHandle file) {
  struct stat st;
  return ::fstat(static_cast<int>(file), &st) == 0 && S_ISREG(st.st_mode);
}

bool FileLength(FileHandle file, std::int64_t& length) {
  struct stat st;
  if (::fstat(static_cast<int>(file), &st) != 0) return Failed();
  // Only a regular file's st_size is the length of what it holds.
  length = S_ISREG(st.st_mode) ? static_cast<std::int64_t>(st.st_size) : 0;
  return true;
}

bool SetFilePosition(FileHandle file, std::int64_t position) {
  return ::lseek(static_cast<int>(file), static_cast<off_t>(position), SEEK_SET) == position || Failed();
}

bool WriteToFile(FileHandle file, const char* data, std::size_t size) {
  // At most 1 MiB per call: a signal caught while the file is written is handled between two calls,
  // while two that come during one call are handled lowest number first, whichever came first.
  constexpr std::size_t kPiece = std::size_t{1} << 20;
  // write may take fewer bytes than asked (signals, pipes, very large sizes): go on until all are out.
  while (size > 0) {
    ssize_t n = ::write(static_cast<int>(file), data, size < kPiece ? size : kPiece);
    if (n < 0) {
      if (errno == EINTR) continue;
      return Failed();
    }
    if (n == 0) {
      errno = EIO;
      return Failed();
    }
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

bool CutFileHere(FileHandle file) {
  const int fd = static_cast<int>(file);
  struct stat st;
  if (::fstat(fd, &st) != 0) return Failed();
  // Devices and pipes (a name such as /dev/null) have no length to cut: no old tail stays there.
  if (!S_ISREG(st.st_mode)) return true;
  const off_t position = ::lseek(fd, 0, SEEK_CUR);
  return (position >= 0 && ::ftruncate(fd, position) == 0) || Failed();
}

bool CloseFile(FileHandle file) {
  // A failed close can mean data never reached the disk (NFS, quota); EINTR leaves the descriptor
  // closed on Linux, so it is not retried.
  return ::close(static_cast<int>(file)) == 0 || Failed();
}

PathParts SplitPath(std::string_view path) {
  const std::size_t slash = path.rfind('/');
  const std::size_t end = slash == std::string_view::npos ? 0 : slash + 1;
  return {end, end, 0};
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

bool IsNameTooLong(const std::string& folder, std::string_view last) {
  // The file system's own answer: it alone knows whether it counts bytes or UTF-16 units. lstat
  // only looks the name up; a link is not followed.
  const std::string path = folder + std::string(last);
  struct stat st;
  return ::lstat(path.c_str(), &st) != 0 && errno == ENAMETOOLONG;
}

FileError WhyExistingNotWritable(const std::string& name) {
  // faccessat with the effective ids answers as open would, and opens nothing: no lock is taken
  // and no lease broken. Only the ids of this process count, so a file that root may write is
  // writable for root.
  firstError = ::faccessat(AT_FDCWD, name.c_str(), W_OK, AT_EACCESS) == 0 ? 0 : errno;
  return static_cast<FileError>(firstError);
}

FileError WhyNoNewFileIn(const std::string& name, const std::string& folder) {
  firstError = 0;
  // A link whose target is missing: the save creates the target, maybe in another folder.
  struct stat st;
  if (::lstat(name.c_str(), &st) == 0) return 0;
  // Adding a name needs write and search permission on the folder.
  if (::faccessat(AT_FDCWD, folder.empty() ? "." : folder.c_str(), W_OK | X_OK, AT_EACCESS) != 0)
    firstError = errno;
  return static_cast<FileError>(firstError);
}

bool IsLastingFileError(FileError error) {
  return error == EACCES || error == EPERM || error == EROFS;
}

bool IsStoredUnderOtherName(const std::string&, std::string&) {
  return false;
}

void FileErrorReason(char (&text)[kReasonSize]) {
  const char* reason = firstError == kHeldByWriter ? "another program is writing the file"
                       : firstError == kHeldByReader
                           ? "another program is reading the file"
                           : ErrorText(::strerror_r(firstError, text, sizeof text), text);
  // strerror_r may have written its text into text itself.
  if (reason != text) {
    std::strncpy(text, reason, sizeof text - 1);
    text[sizeof text - 1] = '\0';
  }
}

bool RoomForFile(const std::string& name, std::uint64_t& room) {
  // The file system to ask is the one the body goes to: an existing file's own (links followed),
  // else the folder's.
  struct stat st;
  std::uint64_t held = 0;
  const std::string folder(name, 0, SplitPath(name).folderEnd);
  const char* where = folder.empty() ? "." : folder.c_str();
  if (::stat(name.c_str(), &st) == 0) {
    if (!S_ISREG(st.st_mode)) return false;
    held = static_cast<std::uint64_t>(st.st_size);
    where = name.c_str();
  } else if (errno != ENOENT || ::lstat(name.c_str(), &st) == 0) {
    // No figure for any other answer, nor for a dangling link: the save creates its target, which
    // may lie on another file system.
    return false;
  }
  struct statvfs disk;
  int result;
  do {
    result = ::statvfs(where, &disk);
  } while (result != 0 && errno == EINTR);
  if (result != 0) return false;
  // Some FUSE and network file systems report no blocks at all: their free count says nothing.
  const std::uint64_t unit = disk.f_frsize != 0 ? disk.f_frsize : disk.f_bsize;
  if (disk.f_blocks == 0 || unit == 0) return false;
  // Root may also fill the blocks that ext2/3/4 keep back for it (f_bfree): counted without them,
  // a body that fits would be refused.
  const std::uint64_t blocks = ::geteuid() == 0 ? disk.f_bfree : disk.f_bavail;
  constexpr std::uint64_t kMost = std::numeric_limits<std::uint64_t>::max();
  room = blocks > kMost / unit ? kMost : blocks * unit;
  room = room > kMost - held ? kMost : room + held;
  return true;
}

}  // namespace platform
