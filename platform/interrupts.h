// Interrupts that end the run (Ctrl+C and its kind): held back while a file is being written.
#pragma once

namespace platform {

// Run once at start, before anything else. beforeHeldEnd is called when an interrupt that was held
// is about to end the run (see ReleaseInterrupts): what standard output still buffers goes out
// first. It must not throw.
void PrepareInterrupts(void (*beforeHeldEnd)());
// From now on the interrupts that end the run are held instead of acted on: on POSIX SIGINT,
// SIGTERM, SIGHUP and SIGQUIT (one the parent set to be ignored or blocked stays so); on Windows
// Ctrl+C, Ctrl+Break and the close of the console, which waits (as long as the system lets it)
// until they are released. Logging off and shutting down are not held: Windows never passes them to
// the handler of a process that loads user32.dll, as this one does. A hard kill cannot be held.
void HoldInterrupts();
// Acts on them again. If one came while they were held, beforeHeldEnd is called and the run ends
// now, as it would have at once: on POSIX by the first signal that came, on Windows with the exit
// code of Ctrl+C. A further interrupt meanwhile ends it at once, the same way.
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
