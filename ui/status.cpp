// The status line: each message replaces the previous one, on as many rows as that took.
#include "ui/status.h"

#include <algorithm>
#include <cstdint>

#include "app/output.h"
#include "crt32/crt32.h"

namespace {

// The previous message as it went out: enough to find the row it began on. Status texts are
// ASCII, one cell per byte.
struct ShownStatus {
  std::uint64_t write = 0;  // the output's write count behind it
  int length = 0;
  int width = 0;     // of the console it was written on
  int firstRow = 0;  // where it began, on a console that reports positions
};

ShownStatus previous;

// Rows below the first one that text of length cells leaves the cursor on, written from column 1.
int RowsBelow(int length, int width, bool wrapsAtOnce) {
  if (width <= 0 || length <= 0) return 0;
  return wrapsAtOnce ? length / width : (length - 1) / width;
}

// How many rows above the cursor's the previous message began. When in doubt fewer: a row too
// few leaves a stale row behind, a row too many would blank what was there before the status.
int RowsAbove(const ConsoleState& now) {
  int rows = RowsBelow(previous.length, previous.width, now.wrapsAtOnce);
  if (rows == 0) return 0;
  if (now.width != previous.width) {
    // Resized: some consoles wrap the old text anew at the new width, others leave it as it was.
    rows = std::min(rows, RowsBelow(previous.length, now.width, now.wrapsAtOnce));
  } else if (now.positionKnown && (now.cursorColumn != previous.length - rows * previous.width + 1 ||
                                   now.cursorRow > previous.firstRow + rows)) {
    // The cursor is not where the message left it (a console that scrolled under it has it
    // higher): the console wrapped otherwise, or someone else moved it.
    return 0;
  }
  return now.positionKnown ? std::min(rows, now.cursorRow - 1) : rows;
}

// The cells a message may take on the console. Where the cursor cannot go back up a row (a dumb
// terminal) it must never wrap: it is cut short of the row's last cell, on a row of one cell too.
// Elsewhere it may take every row of the window, but not more: the rows scrolled out above could
// never be blanked, and each next message would leave a copy of its start there. (A console that
// wraps at once has moved to the row below the window after its last cell.) Of unknown width,
// nothing can be measured and nothing is cut.
std::size_t Room(const ConsoleState& now) {
  if (now.width <= 0) return static_cast<std::size_t>(-1);
  const auto width = static_cast<std::size_t>(now.width);
  if (!now.canMoveUp) return width - 1;
  if (now.height <= 0) return static_cast<std::size_t>(-1);
  return width * static_cast<std::size_t>(now.height) - (now.wrapsAtOnce ? 1 : 0);
}

// Writes message over the previous one on the console. Everything is worked out from one reading
// of the console, so a resize in between cannot mix two widths.
void ReplaceOnConsole(std::string_view message) {
  ConsoleState now;
  if (!GetConsoleState(now)) return WriteOut(message);
  // Only while nothing else was written after the previous message does the cursor stand behind it.
  int above = previous.write == WriteCount() && now.canMoveUp ? RowsAbove(now) : 0;
  // Blank every row the previous message took, so a shorter message leaves nothing of it behind.
  ClearRowsFrom(now, now.cursorRow - above, above + 1);
  message = message.substr(0, std::min(message.size(), Room(now)));
  WriteOut(message);
  previous = ShownStatus{WriteCount(), static_cast<int>(message.size()), now.width, now.cursorRow - above};
}

}  // namespace

void ShowStatus(std::string_view message) {
  // A progress line held back goes first: this message is to replace it on the screen.
  DrawPendingText();
  // Redirected, the cursor and row calls have no effect; they are left out then, as this runs
  // after every received block.
  if (OutputIsConsole())
    ReplaceOnConsole(message);
  else
    WriteOut(message);
}
