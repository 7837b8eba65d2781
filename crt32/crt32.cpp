// Console control on the console of standard output. The console counts from 0, this interface
// from 1. Results of the console calls are not examined: on a redirected standard output they
// fail and the operations simply have no effect.
#include "crt32/crt32.h"

#include "platform/console.h"

std::uint16_t GetTextAttribute() {
  platform::ScreenBufferInfo info;
  if (!platform::GetScreenBufferInfo(info)) return 0;
  return info.attribute;
}

void SetTextAttribute(std::uint16_t attribute) {
  platform::SetConsoleAttribute(attribute);
}

void SetTextColor(std::uint8_t colour) {
  SetTextAttribute(static_cast<std::uint16_t>((GetTextAttribute() & 0xF0) | colour));
}

int CursorRow() {
  platform::ScreenBufferInfo info;
  platform::GetScreenBufferInfo(info);
  return info.cursorRow + 1;
}

void MoveCursor(int column, int row) {
  platform::SetCursorPosition(column - 1, row - 1);
}

void ClearToLineEnd() {
  platform::ScreenBufferInfo info;
  platform::GetScreenBufferInfo(info);
  int count = info.width - info.cursorColumn;
  platform::FillAttribute(GetTextAttribute(), count, info.cursorColumn, info.cursorRow);
  platform::FillBlanks(count, info.cursorColumn, info.cursorRow);
}

bool GetConsoleState(ConsoleState& state) {
  platform::ScreenBufferInfo info;
  if (!platform::GetScreenBufferInfo(info)) return false;
  state = ConsoleState{info.width,       info.cursorColumn + 1, info.cursorRow + 1, info.attribute,
                       info.wrapsAtOnce, info.positionKnown,    info.canMoveUp,     info.height};
  return true;
}

void ClearRowsFrom(const ConsoleState& state, int row, int rows) {
  platform::SetCursorPosition(0, row - 1);
  // Where positions are not known they count from the cursor, which now stands on row.
  int cursorRow = state.positionKnown ? row - 1 : state.cursorRow - 1;
  // Of unknown width, one cell stands for "to the end of the row".
  int count = state.width > 0 ? rows * state.width : 1;
  platform::FillAttribute(state.attribute, count, 0, cursorRow);
  platform::FillBlanks(count, 0, cursorRow);
}
