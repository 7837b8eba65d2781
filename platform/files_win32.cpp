// The output file on Windows: a file handle.
#include <windows.h>
#include <string>
#include <string_view>

#include "platform/files.h"

namespace platform {
namespace {

HANDLE ToHandle(FileHandle file) {
  return reinterpret_cast<HANDLE>(file);
}

bool SameLetters(std::wstring_view text, std::wstring_view upper) {
  if (text.size() != upper.size()) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    wchar_t c = text[i] >= L'a' && text[i] <= L'z' ? static_cast<wchar_t>(text[i] - L'a' + L'A') : text[i];
    if (c != upper[i]) return false;
  }
  return true;
}

// The digits Windows accepts behind COM and LPT: 0 to 9 and the superscripts one, two, three.
bool IsPortDigit(wchar_t c) {
  return (c >= L'0' && c <= L'9') || c == 0x00B9 || c == 0x00B2 || c == 0x00B3;
}

}  // namespace

FileHandle OpenForWriting(const std::string& name) {
  HANDLE handle = CreateFileA(name.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return kNoFile;
  return reinterpret_cast<FileHandle>(handle);
}

FileHandle OpenDiskFileForWriting(const std::string& name) {
  if (IsDeviceName(name)) return kNoFile;
  const FileHandle file = OpenForWriting(name);
  // Whatever the name rule misses: a device or pipe gets no byte.
  if (file != kNoFile && GetFileType(ToHandle(file)) != FILE_TYPE_DISK) {
    CloseHandle(ToHandle(file));
    return kNoFile;
  }
  return file;
}

bool IsDeviceName(const std::string& name) {
  // Windows judges the name in UTF-16, where the superscript digits are the same characters in
  // every ANSI code page that has them.
  const int length = MultiByteToWideChar(CP_ACP, 0, name.data(), static_cast<int>(name.size()), nullptr, 0);
  if (length <= 0) return false;
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_ACP, 0, name.data(), static_cast<int>(name.size()), wide.data(), length);
  // The extension counts for nothing, nor do blanks and dots at the end of what stands before it.
  std::wstring_view base(wide);
  base = base.substr(0, base.find(L'.'));
  while (!base.empty() && base.back() == L' ') base.remove_suffix(1);
  for (std::wstring_view device : {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$"})
    if (SameLetters(base, device)) return true;
  return base.size() == 4 &&
         (SameLetters(base.substr(0, 3), L"COM") || SameLetters(base.substr(0, 3), L"LPT")) &&
         IsPortDigit(base[3]);
}

bool IsDiskFile(FileHandle file) {
  return GetFileType(ToHandle(file)) == FILE_TYPE_DISK;
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
