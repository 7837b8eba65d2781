// Interrupts on Windows: one console control handler for the whole run, which ends the run itself
// on Ctrl+C, Ctrl+Break and the close of the console, or holds them while a file is written.
#include <windows.h>

#include "platform/interrupts.h"

namespace platform {
namespace {

void (*beforeHeldEnd)() = nullptr;
// The handler runs on a thread of its own that the system starts for each event. It judges and
// acts under the lock that the hold takes to begin, so an event is either acted on before the write
// starts or held: had the default handler acted instead, its ExitProcess could land in the write.
SRWLOCK lock = SRWLOCK_INIT;
bool holding = false;
bool heldOne = false;

// The code the default handler gives a process that a console control event ends.
[[noreturn]] void EndAsInterrupted() {
  ExitProcess(STATUS_CONTROL_C_EXIT);
}

BOOL WINAPI OnControlEvent(DWORD event) {
  // Logging off and shutting down never reach this handler, as the program loads user32.dll;
  // anything else goes on to the default handler.
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT && event != CTRL_CLOSE_EVENT) return FALSE;
  AcquireSRWLockExclusive(&lock);
  if (!holding) EndAsInterrupted();
  heldOne = true;
  ReleaseSRWLockExclusive(&lock);
  if (event == CTRL_CLOSE_EVENT) {
    // The system ends the process once this handler returns, or when its time for it (about 5 s)
    // has run out. The release ends the run itself, as heldOne is set: wait for it.
    for (;;) Sleep(INFINITE);
  }
  return TRUE;
}

}  // namespace

void PrepareInterrupts(void (*held)()) {
  beforeHeldEnd = held;
  SetConsoleCtrlHandler(&OnControlEvent, TRUE);
}

void HoldInterrupts() {
  AcquireSRWLockExclusive(&lock);
  holding = true;
  heldOne = false;
  ReleaseSRWLockExclusive(&lock);
}

void ReleaseInterrupts() {
  AcquireSRWLockExclusive(&lock);
  holding = false;
  const bool end = heldOne;
  ReleaseSRWLockExclusive(&lock);
  // A further event while the output goes out ends the run at once, with the same code.
  if (!end) return;
  if (beforeHeldEnd != nullptr) beforeHeldEnd();
  EndAsInterrupted();
}

}  // namespace platform
