// The console that standard output is attached to: the few screen-buffer operations the
// program needs, with 0-based coordinates. Every operation fails quietly (and writes
// nothing) when standard output is not a console.
#pragma once

#include <cstdint>

namespace platform {

struct ScreenBufferInfo {
  int width = 0;
  int cursorColumn = 0;
  int cursorRow = 0;
  std::uint16_t attribute = 0;
};

// False when standard output is not a console.
bool GetScreenBufferInfo(ScreenBufferInfo& info);
void SetConsoleAttribute(std::uint16_t attribute);
void SetCursorPosition(int column, int row);
// Fills count cells from (column, row) onward on that row with the attribute / with blanks.
void FillAttribute(std::uint16_t attribute, int count, int column, int row);
void FillBlanks(int count, int column, int row);

}  // namespace platform
