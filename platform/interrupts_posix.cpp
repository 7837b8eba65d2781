// Interrupts on POSIX: while they are held, the signals that end the run are caught and the first
// one is kept; the release ends the run by it.
#include <signal.h>
#include <unistd.h>

#include "platform/interrupts.h"

namespace platform {
namespace {

constexpr int kEnding[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};
constexpr int kCount = sizeof kEnding / sizeof kEnding[0];

void (*beforeHeldEnd)() = nullptr;
// Shared with the handler, which touches nothing else.
volatile sig_atomic_t firstSignal = 0;  // the first that came while held
volatile sig_atomic_t releasing = 0;    // from now on a signal ends the run at once
// The actions before the hold, and which signals it caught: not one the parent set to be ignored.
struct sigaction actionBefore[kCount];
bool caught[kCount];

// Ends the process by the signal's default action, as if it had come just now (a core for SIGQUIT).
// Async-signal-safe.
[[noreturn]] void EndBy(int signal) {
  struct sigaction fallback {};
  fallback.sa_handler = SIG_DFL;
  sigemptyset(&fallback.sa_mask);
  sigaction(signal, &fallback, nullptr);
  sigset_t only;
  sigemptyset(&only);
  sigaddset(&only, signal);
  sigprocmask(SIG_UNBLOCK, &only, nullptr);
  raise(signal);
  _exit(128 + signal);  // not reached: the default action of each of the four ends the process
}

// Blocking the signals instead would lose their order: a pending signal is only a bit, and the
// lowest-numbered one is delivered first, so SIGTERM and then SIGINT would end the run by SIGINT.
// The handlers do not nest (all four are masked while one runs).
void Keep(int signal) {
  if (firstSignal == 0) firstSignal = signal;
  if (releasing) EndBy(firstSignal);
}

}  // namespace

void PrepareInterrupts(void (*held)()) {
  beforeHeldEnd = held;
}

void HoldInterrupts() {
  firstSignal = 0;
  releasing = 0;
  struct sigaction keep {};
  keep.sa_handler = &Keep;
  sigemptyset(&keep.sa_mask);
  for (int signal : kEnding) sigaddset(&keep.sa_mask, signal);
  // The write goes on where a signal interrupted it.
  keep.sa_flags = SA_RESTART;
  for (int i = 0; i < kCount; ++i) {
    const struct sigaction& before = actionBefore[i];
    // A signal the parent blocked stays blocked, and so never reaches the handler.
    caught[i] = sigaction(kEnding[i], nullptr, &actionBefore[i]) == 0 &&
                ((before.sa_flags & SA_SIGINFO) != 0 || before.sa_handler != SIG_IGN);
    if (caught[i]) sigaction(kEnding[i], &keep, nullptr);
  }
}

void ReleaseInterrupts() {
  // Set before the look at firstSignal: a signal that comes after it ends the run itself.
  releasing = 1;
  if (const int signal = firstSignal) {
    if (beforeHeldEnd != nullptr) beforeHeldEnd();
    EndBy(signal);
  }
  for (int i = 0; i < kCount; ++i) {
    if (caught[i]) sigaction(kEnding[i], &actionBefore[i], nullptr);
  }
  releasing = 0;
}

}  // namespace platform
