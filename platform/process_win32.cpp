// The process on Windows.
#include <windows.h>

#include "platform/process.h"
#include "platform/stdio.h"

namespace platform {

void PrepareProcess() {
  PrepareStandardHandles();
}

std::optional<std::string> CommandLineText() {
  return std::string(GetCommandLineA());
}

std::string_view ModulePath() {
  // Room for the longest path Windows has (32767 characters) and its terminator.
  static char path[32768];
  DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
  if (n == 0 || n >= sizeof path) return "pliv.exe";
  return {path, n};
}

const char* NextChar(const char* p) {
  return CharNextA(p);
}

void EndProcess(int code) {
  ExitProcess(static_cast<UINT>(code));
}

}  // namespace platform
