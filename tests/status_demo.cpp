// Test program for the terminal tests: the banner, then each argument as one status message.
//   status_demo [--attribute N] [message ...]
// --attribute sets the console's colours (a Windows attribute word, 0x.. allowed) before the banner.
#include <cstdlib>
#include <string_view>

#include "app/output.h"
#include "crt32/crt32.h"
#include "ui/banner.h"
#include "ui/status.h"

int main(int argc, char** argv) {
  int first = 1;
  if (argc > 2 && std::string_view(argv[1]) == "--attribute") {
    SetTextAttribute(static_cast<std::uint16_t>(std::strtol(argv[2], nullptr, 0)));
    first = 3;
  }
  ShowBanner("Pliv Version 1.0 - download file from web");
  for (int i = first; i < argc; ++i) ShowStatus(argv[i]);
  // A file or pipe receives the rest of the buffer when the run ends.
  FlushOutput();
  return 0;
}
