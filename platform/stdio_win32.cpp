// Standard handles on Windows.
#include <windows.h>

#include "platform/stdio.h"

namespace platform {
namespace {

bool WriteAll(HANDLE handle, const char* data, std::size_t size, int& error) {
  while (size > 0) {
    DWORD chunk = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size);
    DWORD written = 0;
    if (!WriteFile(handle, data, chunk, &written, nullptr)) {
      error = static_cast<int>(GetLastError());
      return false;
    }
    if (written == 0) {
      error = static_cast<int>(ERROR_WRITE_FAULT);
      return false;
    }
    data += written;
    size -= written;
  }
  return true;
}

}  // namespace

// A Windows process gets its standard handles from its parent; nothing is reused for them.
void PrepareStandardHandles() {}

StdKind StandardOutputKind() {
  HANDLE handle = GetStdHandle(STD_OUTPUT_HANDLE);
  if (handle == INVALID_HANDLE_VALUE || handle == nullptr) return StdKind::Unknown;
  switch (GetFileType(handle)) {
    case FILE_TYPE_CHAR:
      return StdKind::Console;
    case FILE_TYPE_DISK:
      return StdKind::File;
    case FILE_TYPE_PIPE:
      return StdKind::Pipe;
    default:
      return StdKind::Unknown;
  }
}

void HoldStandardOutput(const char* data, std::size_t size) {
  int ignored = 0;
  WriteAll(GetStdHandle(STD_OUTPUT_HANDLE), data, size, ignored);
}

bool WriteStandardOutput(const char* data, std::size_t size, int& error) {
  return WriteAll(GetStdHandle(STD_OUTPUT_HANDLE), data, size, error);
}

void WriteStandardError(const char* data, std::size_t size) {
  int ignored = 0;
  WriteAll(GetStdHandle(STD_ERROR_HANDLE), data, size, ignored);
}

void ToConsoleCodePage(char* text, std::size_t size) {
  // The conversion may work in place: its source and destination are the same buffer.
  if (size > 0) CharToOemBuffA(text, text, static_cast<DWORD>(size));
}

}  // namespace platform
