// Interrupts that end the run (Ctrl+C and its kind): held back while a file is being written.
#pragma once

namespace platform {

// From now on the interrupts that end the run are held instead of acted on: on POSIX SIGINT,
// SIGTERM, SIGHUP and SIGQUIT; on Windows Ctrl+C and Ctrl+Break, while closing the console waits
// (as long as the system lets it) until they are released. A hard kill cannot be held.
void HoldInterrupts();
// Acts on them again. One that came while they were held ends the run now, as it would have at
// once: by the same signal on POSIX, with the exit code of Ctrl+C on Windows.
void ReleaseInterrupts();

// Holds the interrupts for its lifetime when hold is true.
class HeldInterrupts {
 public:
  explicit HeldInterrupts(bool hold) : held_(hold) {
    if (held_) HoldInterrupts();
  }
  ~HeldInterrupts() {
    if (held_) ReleaseInterrupts();
  }
  HeldInterrupts(const HeldInterrupts&) = delete;
  HeldInterrupts& operator=(const HeldInterrupts&) = delete;

 private:
  bool held_;
};

}  // namespace platform
