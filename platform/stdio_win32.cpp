// Standard handles on Windows.
#include <windows.h>
#include <cstring>
#include <iterator>

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

// A console shows bytes in its own output code page (an OEM one), while the program's texts are in
// the ANSI code page: a name with bytes of 128 and above would show other letters there (an o with
// diaeresis as a division sign). Such text reaches a console as UTF-16 instead; ASCII text, every
// status line among it, still goes as bytes.
bool IsConsole(HANDLE handle) {
  DWORD mode = 0;
  return GetConsoleMode(handle, &mode) != 0;
}

bool HasHighBytes(const char* data, std::size_t size) {
  for (std::size_t i = 0; i < size; ++i)
    if (static_cast<unsigned char>(data[i]) >= 128) return true;
  return false;
}

// The first bytes of a character that the end of a write cut off: they go with the next write.
char partial[4];
std::size_t partialSize = 0;

// How many of the size bytes at text make whole characters of the ANSI code page.
std::size_t WholeCharacters(const char* text, std::size_t size) {
  if (GetACP() == CP_UTF8) {
    // Back to the start of the last sequence, at most three continuation bytes away.
    for (std::size_t start = size; start > 0 && size - start < 4;) {
      const auto c = static_cast<unsigned char>(text[--start]);
      if ((c & 0xC0) == 0x80) continue;
      const std::size_t length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
      return start + length > size ? start : size;
    }
    return size;
  }
  std::size_t whole = 0;
  while (whole < size) {
    const std::size_t step = IsDBCSLeadByte(static_cast<BYTE>(text[whole])) ? 2 : 1;
    if (whole + step > size) break;
    whole += step;
  }
  return whole;
}

bool WriteConsoleText(HANDLE handle, const char* data, std::size_t size, int& error) {
  char bytes[512 + sizeof partial];
  wchar_t wide[std::size(bytes)];
  while (size > 0) {
    std::memcpy(bytes, partial, partialSize);
    const std::size_t take = size < 512 ? size : 512;
    std::memcpy(bytes + partialSize, data, take);
    const std::size_t count = partialSize + take;
    data += take;
    size -= take;
    const std::size_t whole = WholeCharacters(bytes, count);
    partialSize = count - whole;
    std::memcpy(partial, bytes + whole, partialSize);
    if (whole == 0) continue;
    const int units = MultiByteToWideChar(CP_ACP, 0, bytes, static_cast<int>(whole), wide,
                                          static_cast<int>(std::size(wide)));
    if (units <= 0) {
      error = static_cast<int>(GetLastError());
      return false;
    }
    for (int done = 0; done < units;) {
      DWORD written = 0;
      if (!WriteConsoleW(handle, wide + done, static_cast<DWORD>(units - done), &written, nullptr)) {
        error = static_cast<int>(GetLastError());
        return false;
      }
      if (written == 0) {
        error = static_cast<int>(ERROR_WRITE_FAULT);
        return false;
      }
      done += static_cast<int>(written);
    }
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
  HANDLE handle = GetStdHandle(STD_OUTPUT_HANDLE);
  // Redirected output keeps the ANSI bytes.
  if ((partialSize > 0 || HasHighBytes(data, size)) && IsConsole(handle))
    return WriteConsoleText(handle, data, size, error);
  return WriteAll(handle, data, size, error);
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
