// The status line: each message replaces the text of the row the cursor is on.
#include "ui/status.h"

#include "app/output.h"
#include "crt32/crt32.h"

void ShowStatus(std::string_view message) {
  // Redirected, the cursor and row calls have no effect; they are left out then, as this runs
  // after every received block.
  if (OutputIsConsole()) {
    MoveCursor(1, CursorRow());
    // Blank the whole row first, so a shorter message leaves nothing of a longer one behind.
    ClearToLineEnd();
  }
  WriteOut(message);
}
