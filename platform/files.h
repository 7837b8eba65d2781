// Files: the one output file of a run, opened, measured, positioned, written, cut and closed with
// each step's outcome; and what the system can tell about a name before anything is created.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace platform {

using FileHandle = std::intptr_t;
inline constexpr FileHandle kNoFile = -1;

// Opens name for writing, creating it when missing and keeping what it holds when it exists;
// others may read it meanwhile. kNoFile when it cannot be opened.
FileHandle OpenForWriting(const std::string& name);
// Opens name as OpenForWriting does, but only as a file on disk: a name that the system reads as
// a device is never opened, and a handle that turns out not to be a disk file is closed unwritten;
// kNoFile then. On POSIX, where those names are ordinary files, the same as OpenForWriting.
FileHandle OpenDiskFileForWriting(const std::string& name);
// Whether the system reads name as a device rather than a file. Windows does so for CON, PRN,
// AUX, NUL, COM0 to COM9 and LPT0 to LPT9 (also with the superscript digits one, two and three),
// CONIN$ and CONOUT$, in any case, with or without an extension and with trailing dots or
// blanks; POSIX for no name.
bool IsDeviceName(const std::string& name);
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

// A path cut after its last separator: folder holds everything up to it (empty for a name in the
// current folder), last the name that follows. Separators are "/" on POSIX; "\" and "/" on Windows,
// where a ":" (of a drive or a stream) also ends what counts as the last name, and a double-byte
// character is never split.
struct PathParts {
  std::string folder;
  std::string last;
};
PathParts SplitPath(const std::string& path);

// What a path names now, links followed. Missing when it, or a folder on its way, does not exist;
// Unknown when the system does not tell (no permission to look, a name it cannot take).
enum class PathKind { Missing, Folder, File, Other, Unknown };
PathKind KindOfPath(const std::string& path);

// Whether last, as a name in folder (empty: the current folder), is longer than that folder's file
// system allows: pathconf(_PC_NAME_MAX) bytes on POSIX; on Windows the volume's maximum component
// length, or 255, in UTF-16 units. False when the system does not tell.
bool IsNameTooLong(const std::string& folder, const std::string& last);

// The first character of last that the system refuses in any file name, or 0. Windows refuses
// < > : " | ? * and the control characters 1 to 31; POSIX none (a last name holds no "/").
char RefusedNameCharacter(const std::string& last);

// Opens the existing file name for writing as the save will, without creating or emptying it, and
// closes it again; false when the system refuses. Nothing about the file changes.
bool CanOpenExistingForWriting(const std::string& name);

}  // namespace platform
