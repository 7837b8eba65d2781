// A second thread of execution, for the tests that run a server beside the code under test.
// The program itself is single-threaded.
#pragma once

#include <functional>

namespace platform {

struct Thread;

// Starts body on a new thread; null when the thread cannot be created.
Thread* StartThread(std::function<void()> body);
// Waits for the thread to finish and releases it.
void JoinThread(Thread* thread);

}  // namespace platform
