// Files: the one output file of a run, opened, measured, positioned, written, cut and closed with
// each step's outcome; and what the system can tell about a name before anything is created.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

using FileHandle = std::intptr_t;
inline constexpr FileHandle kNoFile = -1;

// Opens name for writing, creating it when missing and keeping what it holds when it exists. A
// file on disk is held for this writer alone until it is closed (Windows: its sharing, which lets
// others open it for reading; POSIX: an exclusive flock, which readers that take a shared one wait
// for, and none on SMB/CIFS mounts, where it would make every reader's read fail). A file that
// another program holds so is not opened: kNoFile then, with IsHeldByAnother true, and trying
// again later may succeed. kNoFile also when it cannot be opened at all. The open does not wait.
FileHandle OpenForWriting(const std::string& name);
// Whether the last OpenForWriting or OpenDiskFileForWriting failed only because another program
// holds the file for now (POSIX: a flock that excludes this writer's; Windows: a sharing or lock
// violation). Such a conflict passes: the open may be tried again.
bool IsHeldByAnother();
// Whether the save takes its one-writer flock on a file system of this kind (POSIX: statfs's
// f_type): not on SMB/CIFS, where such a lock is mandatory and every other reader's read fails
// while it is held. Windows: every kind, its sharing being the lock.
bool LocksOnFileSystem(std::uint64_t kind);
// Opens name as OpenForWriting does, but only as a file on disk: a name that the system reads as
// a device is never opened, and a handle that turns out not to be a disk file is closed unwritten;
// kNoFile then. On POSIX, where those names are ordinary files, the same as OpenForWriting.
FileHandle OpenDiskFileForWriting(const std::string& name);
// Whether the system reads name as a device rather than a file. Windows does so for CON, PRN,
// AUX, NUL, COM0 to COM9 and LPT0 to LPT9 (also with the superscript digits one, two and three),
// CONIN$ and CONOUT$, in any case, with or without an extension and with trailing dots or
// blanks; POSIX for no name.
bool IsDeviceName(std::string_view name);
// Whether the open file is a file on disk (on POSIX a regular file), not a device or a pipe.
bool IsDiskFile(FileHandle file);
// The length of the file in bytes; 0 for a device or a pipe, which have no length. False when it
// cannot be read.
bool FileLength(FileHandle file, std::int64_t& length);
// Makes position (counted from the start) the place of the next write; false when the file has
// no positions (a pipe) or the system refuses.
bool SetFilePosition(FileHandle file, std::int64_t position);
// Writes all bytes at the current position (from the start after opening); false when any byte
// could not be written. Bytes before the failing one may already be in the file.
bool WriteToFile(FileHandle file, const char* data, std::size_t size);
// Makes the current position the end of the file, dropping whatever lay beyond it.
bool CutFileHere(FileHandle file);
// Closes the file; false when the system reports that the close failed.
bool CloseFile(FileHandle file);

// A path cut after its last separator: its folder is everything up to folderEnd (none for a name
// in the current folder), its last name what follows lastStart. Separators are "/" on POSIX; "\"
// and "/" on Windows, where a ":" (of a drive or a stream) also ends what counts as the last name,
// and a double-byte character is never split. refused is the first character of the last name that
// the system refuses in any file name, or 0: Windows refuses < > " | ? * and the control characters
// 1 to 31 (":" separates); POSIX none (a last name holds no "/").
struct PathParts {
  std::size_t folderEnd;
  std::size_t lastStart;
  char refused;
};
PathParts SplitPath(std::string_view path);

// What a path names now, links followed. Missing when it, or a folder on its way, does not exist;
// Unknown when the system does not tell (no permission to look, a name it cannot take).
enum class PathKind { Missing, Folder, File, Other, Unknown };
PathKind KindOfPath(const std::string& path);

// Whether last, as a name in folder (empty: the current folder), is longer than that folder's file
// system allows, by the file system's own answer: on POSIX the name itself gives ENAMETOOLONG (so
// a file system that counts UTF-16 units, as NTFS and exFAT do, counts them); on Windows the
// volume's maximum component length, or 255, in UTF-16 units. False when the system does not tell.
bool IsNameTooLong(const std::string& folder, std::string_view last);

// A system error: errno on POSIX, GetLastError on Windows; 0 for none.
using FileError = std::uint32_t;
// Why this user could not open the existing file name for writing, as far as the system tells
// without opening it: the file's permissions and read-only flag, and a read-only file system
// (POSIX: faccessat with the effective ids; Windows: the attributes, the volume's read-only flag
// and an AccessCheck of the file's security). 0 when nothing says so. It takes no lock, breaks no
// lease or oplock and opens nothing for writing, so nobody who uses the file notices.
FileError WhyExistingNotWritable(const std::string& name);
// Why this user could not create the missing file name in folder (empty: the current folder), as
// far as the system tells without creating anything: the folder's permission to add a file, and a
// read-only file system (POSIX: faccessat W_OK | X_OK; Windows: the volume's read-only flag and an
// AccessCheck of the folder's security for adding a file). 0 when nothing says so, and for a link
// whose target is missing, which the save would create elsewhere.
FileError WhyNoNewFileIn(const std::string& name, const std::string& folder);
// Whether error lasts until someone changes the file or its folder: permission denied or a
// read-only file or file system (POSIX: EACCES, EPERM, EROFS; Windows: ERROR_ACCESS_DENIED,
// ERROR_WRITE_PROTECT). Every other error may pass (a lock, a lease, a file that vanished) or is
// not understood, and does not refuse a save.
bool IsLastingFileError(FileError error);

// Whether the system would store a file of name (a name in the current folder) under another
// name, and that one (empty when nothing would be left of it). Windows drops the dots and blanks at
// the end of a name, and opens an existing file by its short (8.3) name; POSIX never.
bool IsStoredUnderOtherName(const std::string& name, std::string& stored);

// Room for a reason's text, its ending zero included.
inline constexpr std::size_t kReasonSize = 256;
// The system's reason why the first file operation above failed since the last open or check
// began (OpenForWriting, OpenDiskFileForWriting, WhyExistingNotWritable, WhyNoNewFileIn), in a few plain
// words on one line. Written into text without taking memory: it comes after the file was touched, where
// running out of memory must not be reported instead.
void FileErrorReason(char (&text)[kReasonSize]);

// The bytes that a file of name can come to hold: what the file system it goes to reports free for
// this user (on Windows quotas counted; on POSIX, for root, the blocks kept back for root too),
// plus the length of the existing file of that name, which a body goes over in place. False when
// there is no figure to trust: the system gives none, a file system reports no total at all, or
// name is not a missing or regular file (a device, a pipe, a link to be created elsewhere).
bool RoomForFile(const std::string& name, std::uint64_t& room);

}  // namespace platform
