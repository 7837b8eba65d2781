// Interrupts on Windows: a console control handler that holds Ctrl+C, Ctrl+Break and the close
// of the console.
#include <windows.h>

#include "platform/interrupts.h"

namespace platform {
namespace {

// The handler runs on a thread of its own that the system starts for each event.
enum : LONG { kActing = 0, kHolding = 1, kHeldOne = 2 };
volatile LONG state = kActing;

BOOL WINAPI HoldEvent(DWORD event) {
  // Once released, the events go on to the default handler, which ends the process.
  if (InterlockedCompareExchange(&state, kHeldOne, kHolding) == kActing) return FALSE;
  if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT) return TRUE;
  // Closing the console (logging off, shutting down) ends the process once this handler returns,
  // or when the system's time for it runs out: wait for the release, which ends the run itself.
  while (InterlockedCompareExchange(&state, kActing, kActing) != kActing) Sleep(10);
  return FALSE;
}

}  // namespace

void HoldInterrupts() {
  InterlockedExchange(&state, kHolding);
  SetConsoleCtrlHandler(HoldEvent, TRUE);
}

void ReleaseInterrupts() {
  const LONG before = InterlockedExchange(&state, kActing);
  SetConsoleCtrlHandler(HoldEvent, FALSE);
  // The code the default handler gives a process that Ctrl+C ends.
  if (before == kHeldOne) ExitProcess(STATUS_CONTROL_C_EXIT);
}

}  // namespace platform
