// A second thread on POSIX.
#include <system_error>
#include <thread>

#include "platform/threads.h"

namespace platform {

struct Thread {
  std::thread thread;
};

Thread* StartThread(std::function<void()> body) {
  try {
    return new Thread{std::thread(std::move(body))};
  } catch (const std::system_error&) {
    return nullptr;
  }
}

void JoinThread(Thread* thread) {
  if (!thread) return;
  thread->thread.join();
  delete thread;
}

}  // namespace platform
