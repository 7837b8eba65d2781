// Console control: colour, cursor row and row clearing on the console of standard output.
// Coordinates are 1-based. The operations keep no state; each fetches the console afresh, but for
// ClearRowsFrom, which works from a reading it is given.
#pragma once

#include <cstdint>

std::uint16_t GetTextAttribute();
void SetTextAttribute(std::uint16_t attribute);
// Sets the foreground colours from colour, keeping the current background.
void SetTextColor(std::uint8_t colour);
int CursorRow();
void MoveCursor(int column, int row);
// Blanks from the cursor to the end of its row in the current colours; the cursor stays.
void ClearToLineEnd();

// The console in one reading, for the status line, which needs all of it after every received
// block. How text wraps and where the cursor can go are those of platform/console.h.
struct ConsoleState {
  int width = 0;
  int cursorColumn = 0;
  int cursorRow = 0;
  std::uint16_t attribute = 0;
  bool wrapsAtOnce = false;
  bool positionKnown = false;
  bool canMoveUp = false;
  int height = 0;  // rows of the window; 0 when unknown (as the width)
};
// False when standard output is not a console.
bool GetConsoleState(ConsoleState& state);
// Moves the cursor to column 1 of row and blanks that row and the rows - 1 below it in the
// colours of the reading; the cursor stays at column 1 of row. Of unknown width, only row is
// blanked, to its end.
void ClearRowsFrom(const ConsoleState& state, int row, int rows);
