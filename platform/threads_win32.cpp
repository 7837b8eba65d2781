// A second thread on Windows (the toolchain's thread model has no std::thread).
#include <windows.h>

#include "platform/threads.h"

namespace platform {

struct Thread {
  HANDLE handle;
  std::function<void()> body;
};

namespace {

DWORD WINAPI RunBody(void* parameter) {
  static_cast<Thread*>(parameter)->body();
  return 0;
}

}  // namespace

Thread* StartThread(std::function<void()> body) {
  Thread* thread = new Thread{nullptr, std::move(body)};
  thread->handle = CreateThread(nullptr, 0, &RunBody, thread, 0, nullptr);
  if (!thread->handle) {
    delete thread;
    return nullptr;
  }
  return thread;
}

void JoinThread(Thread* thread) {
  if (!thread) return;
  WaitForSingleObject(thread->handle, INFINITE);
  CloseHandle(thread->handle);
  delete thread;
}

}  // namespace platform
