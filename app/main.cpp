// Pliv: downloads one file over HTTP/1.0.
#include "app/arguments.h"
#include "app/errors.h"
#include "app/format.h"
#include "app/main_sequence.h"
#include "app/output.h"
#include "platform/interrupts.h"
#include "platform/locale.h"
#include "platform/process.h"

int main(int argc, char** argv) {
  platform::PrepareProcess();
  platform::PrepareInterrupts(&PassOnBeforeInterruptedEnd);
  SetDecimalSeparator(platform::LocaleDecimalSeparator());
  return RunWithLastChanceHandler([&] {
    LoadArguments(argc, argv);
    return RunMainSequence();
  });
}
