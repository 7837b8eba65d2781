// The output file on Windows: a file handle.
#include <windows.h>
#include <cstring>
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

PathParts SplitPath(const std::string& path) {
  // Whole characters: the second byte of a double-byte character may be the byte of "\".
  const char* const begin = path.c_str();
  const char* const end = begin + path.size();
  std::size_t folderEnd = 0;
  std::size_t lastStart = 0;
  for (const char* p = begin; p < end;) {
    const char* next = CharNextA(p);
    if (next <= p) next = p + 1;
    if (*p == '\\' || *p == '/') folderEnd = lastStart = static_cast<std::size_t>(p + 1 - begin);
    if (*p == ':') lastStart = static_cast<std::size_t>(p + 1 - begin);
    p = next;
  }
  return {path.substr(0, folderEnd), path.substr(lastStart)};
}

PathKind KindOfPath(const std::string& path) {
  // A folder is asked for without the separator SplitPath leaves behind it, except where that is
  // what makes it a root: "\", "C:\", and the shares and devices behind "\\".
  std::string asked = path;
  if (asked.size() > 1 && (asked.back() == '\\' || asked.back() == '/') && asked[asked.size() - 2] != ':' &&
      !((asked[0] == '\\' || asked[0] == '/') && (asked[1] == '\\' || asked[1] == '/')))
    asked.pop_back();
  const DWORD attributes = GetFileAttributesA(asked.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? PathKind::Missing
                                                                          : PathKind::Unknown;
  }
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return PathKind::Folder;
  return attributes & FILE_ATTRIBUTE_DEVICE ? PathKind::Other : PathKind::File;
}

bool IsNameTooLong(const std::string& folder, const std::string& last) {
  const int units = MultiByteToWideChar(CP_ACP, 0, last.data(), static_cast<int>(last.size()), nullptr, 0);
  // The folder's volume says how long a name may be; 255 where it does not (and on every usual file
  // system). Asked through a handle of the folder, which reads nothing of it: the volume's label
  // and serial number are not needed.
  DWORD limit = 255;
  const HANDLE handle = CreateFileA(folder.empty() ? "." : folder.c_str(), 0,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle != INVALID_HANDLE_VALUE) {
    DWORD component = 0;
    if (GetVolumeInformationByHandleW(handle, nullptr, 0, nullptr, &component, nullptr, nullptr, 0) &&
        component > 0)
      limit = component;
    CloseHandle(handle);
  }
  return units > 0 && static_cast<DWORD>(units) > limit;
}

char RefusedNameCharacter(const std::string& last) {
  // Whole characters: the second byte of a double-byte character may be the byte of "|". Every
  // refused character is ASCII, which no other character of a code page holds.
  const char* const end = last.c_str() + last.size();
  for (const char* p = last.c_str(); p < end;) {
    const unsigned char c = static_cast<unsigned char>(*p);
    if ((c >= 1 && c < 32) || (c != 0 && std::strchr("<>:\"|?*", c) != nullptr)) return static_cast<char>(c);
    const char* next = CharNextA(p);
    p = next > p ? next : p + 1;
  }
  return 0;
}

bool CanOpenExistingForWriting(const std::string& name) {
  // OPEN_EXISTING: nothing is created or emptied. The access and the sharing are the save's own,
  // so a file that another program holds open for writing is refused here as it would be there.
  const HANDLE handle = CreateFileA(name.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  CloseHandle(handle);
  return true;
}

}  // namespace platform
