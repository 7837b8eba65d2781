// The output file on Windows: a file handle.
#include <windows.h>

#include "platform/files.h"

namespace platform {
namespace {

HANDLE ToHandle(FileHandle file) {
  return reinterpret_cast<HANDLE>(file);
}

}  // namespace

FileHandle OpenForWriting(const std::string& name) {
  HANDLE handle = CreateFileA(name.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return kNoFile;
  return reinterpret_cast<FileHandle>(handle);
}

bool FileLength(FileHandle file, std::int64_t& length) {
  // Character devices and pipes (NUL, CON) hold nothing that could be overwritten.
  if (GetFileType(ToHandle(file)) != FILE_TYPE_DISK) {
    length = 0;
    return true;
  }
  LARGE_INTEGER size;
  if (!GetFileSizeEx(ToHandle(file), &size)) return false;
  length = size.QuadPart;
  return true;
}

bool SetFilePosition(FileHandle file, std::int64_t position) {
  LARGE_INTEGER distance;
  distance.QuadPart = position;
  return SetFilePointerEx(ToHandle(file), distance, nullptr, FILE_BEGIN) != 0;
}

bool WriteToFile(FileHandle file, const char* data, std::size_t size) {
  // One WriteFile takes at most 4 GiB - 1; the program's texts stay below 2 GiB, so this is one call.
  while (size > 0) {
    const DWORD chunk = size > 0x7FFFFFFFu ? 0x7FFFFFFFu : static_cast<DWORD>(size);
    DWORD written = 0;
    if (!WriteFile(ToHandle(file), data, chunk, &written, nullptr) || written == 0) return false;
    data += written;
    size -= written;
  }
  return true;
}

bool CutFileHere(FileHandle file) {
  if (SetEndOfFile(ToHandle(file))) return true;
  // Character devices (NUL, CON) have no end to set; nothing of an old content can remain there.
  return GetFileType(ToHandle(file)) != FILE_TYPE_DISK;
}

bool CloseFile(FileHandle file) {
  return CloseHandle(ToHandle(file)) != 0;
}

}  // namespace platform
