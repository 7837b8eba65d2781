// Files: the one output file of a run, opened, written, cut and closed with each step's outcome.
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
// Writes all bytes at the current position (from the start after opening); false when any byte
// could not be written.
bool WriteToFile(FileHandle file, const char* data, std::size_t size);
// Makes the current position the end of the file, dropping whatever lay beyond it.
bool CutFileHere(FileHandle file);
// Closes the file; false when the system reports that the close failed.
bool CloseFile(FileHandle file);

}  // namespace platform
