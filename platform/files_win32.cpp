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

// Not a system error code (the bit of codes that applications define): the name is no file on disk.
constexpr DWORD kNotDiskFile = 0x20000001;
// The system error of the first failed operation since the open or the check began; 0 for none.
DWORD firstError = 0;

bool Failed() {
  if (firstError == 0) firstError = GetLastError() != 0 ? GetLastError() : ERROR_GEN_FAILURE;
  return false;
}

// The digits Windows accepts behind COM and LPT: 0 to 9 and the superscripts one, two, three.
bool IsPortDigit(wchar_t c) {
  return (c >= L'0' && c <= L'9') || c == 0x00B9 || c == 0x00B2 || c == 0x00B3;
}

// Whether the volume that holds path is read-only (a write-protected medium, a read-only share).
bool OnReadOnlyVolume(const char* path) {
  char root[MAX_PATH];
  DWORD flags = 0;
  return GetVolumePathNameA(path, root, sizeof root) &&
         GetVolumeInformationA(root, nullptr, 0, nullptr, nullptr, &flags, nullptr, 0) &&
         (flags & FILE_READ_ONLY_VOLUME) != 0;
}

// Whether path's security denies this process access (already mapped, no generic rights), as
// CreateFile would find. False whenever the answer cannot be had: the save then reports what it
// meets. Reading the security descriptor asks for no data access (READ_CONTROL alone), so no
// sharing mode is met and no other program's open can fail for it.
bool IsDenied(const char* path, DWORD access) {
  const SECURITY_INFORMATION parts =
      OWNER_SECURITY_INFORMATION | GROUP_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;
  // Pointer-aligned, as the descriptor holds pointers in its absolute form. One larger than this
  // (an uncommonly long list of entries) is not judged.
  alignas(void*) unsigned char descriptor[4096];
  DWORD size = 0;
  if (!GetFileSecurityA(path, parts, descriptor, sizeof descriptor, &size)) return false;
  HANDLE process = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_DUPLICATE | TOKEN_QUERY, &process)) return false;
  // AccessCheck takes an impersonation token: the process's own, duplicated.
  HANDLE token = nullptr;
  bool denied = false;
  if (DuplicateToken(process, SecurityIdentification, &token)) {
    GENERIC_MAPPING mapping = {FILE_GENERIC_READ, FILE_GENERIC_WRITE, FILE_GENERIC_EXECUTE, FILE_ALL_ACCESS};
    PRIVILEGE_SET privileges{};
    DWORD privilegesSize = sizeof privileges;
    DWORD granted = 0;
    BOOL allowed = TRUE;
    denied =
        AccessCheck(descriptor, token, access, &mapping, &privileges, &privilegesSize, &granted, &allowed) &&
        !allowed;
    CloseHandle(token);
  }
  CloseHandle(process);
  return denied;
}

}  // namespace

FileHandle OpenForWriting(const std::string& name) {
  firstError = 0;
  HANDLE handle = CreateFileA(name.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    Failed();
    return kNoFile;
  }
  return reinterpret_cast<FileHandle>(handle);
}

bool IsHeldByAnother() {
  return firstError == ERROR_SHARING_VIOLATION || firstError == ERROR_LOCK_VIOLATION;
}

bool LocksOnFileSystem(std::uint64_t) {
  return true;
}

FileHandle OpenDiskFileForWriting(const std::string& name) {
  firstError = kNotDiskFile;
  if (IsDeviceName(name)) return kNoFile;
  const FileHandle file = OpenForWriting(name);
  // Whatever the name rule misses: a device or pipe gets no byte.
  if (file != kNoFile && GetFileType(ToHandle(file)) != FILE_TYPE_DISK) {
    CloseHandle(ToHandle(file));
    firstError = kNotDiskFile;
    return kNoFile;
  }
  return file;
}

bool IsDeviceName(std::string_view name) {
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
  if (!GetFileSizeEx(ToHandle(file), &size)) return Failed();
  length = size.QuadPart;
  return true;
}

bool SetFilePosition(FileHandle file, std::int64_t position) {
  LARGE_INTEGER distance;
  distance.QuadPart = position;
  return SetFilePointerEx(ToHandle(file), distance, nullptr, FILE_BEGIN) != 0 || Failed();
}

bool WriteToFile(FileHandle file, const char* data, std::size_t size) {
  // One WriteFile takes at most 4 GiB - 1; the program's texts stay below 2 GiB, so this is one call.
  while (size > 0) {
    const DWORD chunk = size > 0x7FFFFFFFu ? 0x7FFFFFFFu : static_cast<DWORD>(size);
    DWORD written = 0;
    if (!WriteFile(ToHandle(file), data, chunk, &written, nullptr)) return Failed();
    if (written == 0) {
      SetLastError(ERROR_WRITE_FAULT);
      return Failed();
    }
    data += written;
    size -= written;
  }
  return true;
}

bool CutFileHere(FileHandle file) {
  if (SetEndOfFile(ToHandle(file))) return true;
  // Character devices (NUL, CON) have no end to set; nothing of an old content can remain there.
  return GetFileType(ToHandle(file)) != FILE_TYPE_DISK || Failed();
}

bool CloseFile(FileHandle file) {
  return CloseHandle(ToHandle(file)) != 0 || Failed();
}

PathParts SplitPath(std::string_view path) {
  // Whole characters: the second byte of a double-byte character may be the byte of "\" or "|".
  // Every refused character is ASCII, which no other character of a code page holds.
  const char* const begin = path.data();
  const char* const end = begin + path.size();
  PathParts parts{0, 0, 0};
  for (const char* p = begin; p < end;) {
    const unsigned char c = static_cast<unsigned char>(*p);
    if (c == '\\' || c == '/' || c == ':') {
      if (c != ':') parts.folderEnd = static_cast<std::size_t>(p + 1 - begin);
      parts.lastStart = static_cast<std::size_t>(p + 1 - begin);
      parts.refused = 0;
    } else if (parts.refused == 0 &&
               ((c >= 1 && c < 32) || (c != 0 && std::strchr("<>\"|?*", c) != nullptr))) {
      parts.refused = static_cast<char>(c);
    }
    const char* next = CharNextA(p);
    p = next > p ? next : p + 1;
  }
  return parts;
}

PathKind KindOfPath(const std::string& path) {
  // Shares, devices and pipes behind "\\" are not judged, nor paths longer than the ANSI file
  // functions take: the save reports what it meets.
  char asked[MAX_PATH];
  const std::size_t size = path.size();
  if (size >= sizeof asked ||
      (size > 1 && (path[0] == '\\' || path[0] == '/') && (path[1] == '\\' || path[1] == '/')))
    return PathKind::Unknown;
  std::memcpy(asked, path.c_str(), size + 1);
  // A folder is asked for without the separator it ends in (a whole character, not the second
  // byte of a double-byte one), except where that is what makes it a root: "\" and "C:\".
  if (size > 1 && SplitPath(std::string_view(asked, size)).folderEnd == size && asked[size - 2] != ':')
    asked[size - 1] = '\0';
  const DWORD attributes = GetFileAttributesA(asked);
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? PathKind::Missing
                                                                          : PathKind::Unknown;
  }
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return PathKind::Folder;
  return attributes & FILE_ATTRIBUTE_DEVICE ? PathKind::Other : PathKind::File;
}

bool IsNameTooLong(const std::string& folder, std::string_view last) {
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

FileError WhyExistingNotWritable(const std::string& name) {
  // Nothing is opened for writing: a trial open would meet another program's own open with a
  // sharing violation, or make that program's next open fail.
  firstError = 0;
  const DWORD attributes = GetFileAttributesA(name.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0)
    firstError = ERROR_ACCESS_DENIED;
  else if (OnReadOnlyVolume(name.c_str()))
    firstError = ERROR_WRITE_PROTECT;
  else if (IsDenied(name.c_str(), FILE_GENERIC_WRITE))
    firstError = ERROR_ACCESS_DENIED;
  return firstError;
}

FileError WhyNoNewFileIn(const std::string&, const std::string& folder) {
  // A link whose target is missing reads as a file here (its own attributes), so it never comes.
  firstError = 0;
  const char* const path = folder.empty() ? "." : folder.c_str();
  if (OnReadOnlyVolume(path))
    firstError = ERROR_WRITE_PROTECT;
  else if (IsDenied(path, FILE_ADD_FILE))
    firstError = ERROR_ACCESS_DENIED;
  return firstError;
}

bool IsLastingFileError(FileError error) {
  return error == ERROR_ACCESS_DENIED || error == ERROR_WRITE_PROTECT;
}

bool IsStoredUnderOtherName(const std::string& name, std::string& stored) {
  // A dot or a blank is never the second byte of a double-byte character.
  std::size_t length = name.size();
  while (length > 0 && (name[length - 1] == '.' || name[length - 1] == ' ')) --length;
  const char* text = name.data();
  char path[MAX_PATH + 1];
  if (length == name.size()) {
    // An existing file answers to its short name too: its long name is the one it is stored under.
    // Letter case does not make another file.
    const DWORD got = GetLongPathNameA(name.c_str(), path, sizeof path);
    if (got == 0 || got >= sizeof path) return false;
    const std::size_t start = SplitPath(std::string_view(path, got)).lastStart;
    text = path + start;
    length = got - start;
    if (CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, text, static_cast<int>(length), name.data(),
                       static_cast<int>(name.size())) == CSTR_EQUAL)
      return false;
  }
  stored.assign(text, length);
  return true;
}

void FileErrorReason(char (&text)[kReasonSize]) {
  // The system's message, in the ANSI code page like every text of the program, made one line: its
  // line ends and any other control bytes become blanks, and the blanks at its end go.
  DWORD length = firstError == kNotDiskFile
                     ? 0
                     : FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                      firstError, 0, text, sizeof text, nullptr);
  if (length >= sizeof text) length = 0;
  for (DWORD i = 0; i < length; ++i)
    if (static_cast<unsigned char>(text[i]) < 32) text[i] = ' ';
  while (length > 0 && text[length - 1] == ' ') --length;
  text[length] = '\0';
  if (firstError == kNotDiskFile) std::strcpy(text, "the name is a device, not a file on disk");
  // No message for the code: its number.
  else if (length == 0)
    wsprintfA(text, "system error %lu", firstError);
}

bool RoomForFile(const std::string& name, std::uint64_t& room) {
  const PathParts parts = SplitPath(name);
  if (IsDeviceName(std::string_view(name).substr(parts.lastStart))) return false;
  std::uint64_t held = 0;
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (GetFileAttributesExA(name.c_str(), GetFileExInfoStandard, &data)) {
    // A link's own attributes tell neither its target's length nor its volume.
    if (data.dwFileAttributes &
        (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE | FILE_ATTRIBUTE_REPARSE_POINT))
      return false;
    held = std::uint64_t{data.nFileSizeHigh} << 32 | data.nFileSizeLow;
  } else if (GetLastError() != ERROR_FILE_NOT_FOUND) {
    return false;
  }
  // "C:name" lies in the current folder of drive C, not of the current drive.
  std::string folder(name, 0, parts.folderEnd);
  if (folder.empty()) folder = parts.lastStart == 2 && name[1] == ':' ? name.substr(0, 2) : ".";
  // The figure available to the caller counts the user's quota.
  ULARGE_INTEGER available, total;
  if (!GetDiskFreeSpaceExA(folder.c_str(), &available, &total, nullptr) || total.QuadPart == 0) return false;
  constexpr std::uint64_t kMost = ~std::uint64_t{0};
  room = available.QuadPart > kMost - held ? kMost : available.QuadPart + held;
  return true;
}

}  // namespace platform
