// The console that standard output is attached to: the few screen-buffer operations the
// program needs, with 0-based coordinates. Every operation fails quietly (and writes
// nothing) when standard output is not a console.
#pragma once

#include <cstdint>

namespace platform {

struct ScreenBufferInfo {
  // Cells in a row; 0 when the console does not say (a terminal that reports no width).
  int width = 0;
  int cursorColumn = 0;
  int cursorRow = 0;
  std::uint16_t attribute = 0;
  // How text that reaches the end of a row goes on, and where the cursor can be taken back to;
  // the status line needs it to find the row its previous text began on.
  // True: the cursor moves to the next row as soon as a row's last cell is written (a Windows
  // console). False: it stays on that cell until the next character comes (a terminal).
  bool wrapsAtOnce = false;
  // False when cursorColumn and cursorRow only stand for "where the cursor is" (a terminal
  // cannot report its cursor; see console_vt.h).
  bool positionKnown = false;
  // False when no row above the cursor's can be reached again (a dumb terminal).
  bool canMoveUp = false;
  // Rows of the visible window; 0 when the console does not say.
  int height = 0;
};

// False when standard output is not a console.
bool GetScreenBufferInfo(ScreenBufferInfo& info);
void SetConsoleAttribute(std::uint16_t attribute);
void SetCursorPosition(int column, int row);
// Fills count cells from (column, row) onward with the attribute / with blanks, going on to the
// rows below when count passes the end of the row. Where the width is not known (0), any count
// fills to the end of the row only.
void FillAttribute(std::uint16_t attribute, int count, int column, int row);
void FillBlanks(int count, int column, int row);

}  // namespace platform
