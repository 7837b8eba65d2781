// The process on Windows.
#include <windows.h>

#include "platform/process.h"

namespace platform {

void PrepareProcess() {}

std::optional<std::string> CommandLineText() {
  return std::string(GetCommandLineA());
}

std::string ModulePath() {
  std::string path(MAX_PATH, '\0');
  for (;;) {
    DWORD n = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return "pliv.exe";
    if (n < path.size()) {
      path.resize(n);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

const char* NextChar(const char* p) {
  return CharNextA(p);
}

void EndProcess(int code) {
  ExitProcess(static_cast<UINT>(code));
}

}  // namespace platform
