// Interrupts on POSIX: the signals that end the run, blocked and unblocked.
#include <signal.h>
#include <initializer_list>

#include "platform/interrupts.h"

namespace platform {
namespace {

// The mask as it was before the hold: a signal the parent had blocked stays blocked.
sigset_t maskBefore;

}  // namespace

void HoldInterrupts() {
  sigset_t ending;
  sigemptyset(&ending);
  for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) sigaddset(&ending, signal);
  sigprocmask(SIG_BLOCK, &ending, &maskBefore);
}

void ReleaseInterrupts() {
  // A signal that came meanwhile is pending; it is delivered before sigprocmask returns, and its
  // default action ends the run as it would have. One the parent had set to be ignored is dropped.
  sigprocmask(SIG_SETMASK, &maskBefore, nullptr);
}

}  // namespace platform
