// Files: the one output file of a run, opened, measured, positioned, written, cut and closed with
// each step's outcome.
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

}  // namespace platform
