// The console of standard output on Windows: the screen-buffer functions themselves. The handle
// is fetched afresh for every call, so a redirected or reattached standard output is honoured.
#include <windows.h>

#include "platform/console.h"

namespace platform {
namespace {

HANDLE Output() {
  return GetStdHandle(STD_OUTPUT_HANDLE);
}

COORD Cell(int column, int row) {
  return COORD{static_cast<SHORT>(column), static_cast<SHORT>(row)};
}

}  // namespace

bool GetScreenBufferInfo(ScreenBufferInfo& info) {
  CONSOLE_SCREEN_BUFFER_INFO csbi;
  if (!GetConsoleScreenBufferInfo(Output(), &csbi)) return false;
  info.width = csbi.dwSize.X;
  info.cursorColumn = csbi.dwCursorPosition.X;
  info.cursorRow = csbi.dwCursorPosition.Y;
  info.attribute = csbi.wAttributes;
  info.wrapsAtOnce = true;
  info.positionKnown = true;
  info.canMoveUp = true;
  info.height = csbi.srWindow.Bottom - csbi.srWindow.Top + 1;
  return true;
}

void SetConsoleAttribute(std::uint16_t attribute) {
  SetConsoleTextAttribute(Output(), attribute);
}

void SetCursorPosition(int column, int row) {
  SetConsoleCursorPosition(Output(), Cell(column, row));
}

void FillAttribute(std::uint16_t attribute, int count, int column, int row) {
  if (count <= 0) return;
  DWORD written = 0;
  FillConsoleOutputAttribute(Output(), attribute, static_cast<DWORD>(count), Cell(column, row), &written);
}

void FillBlanks(int count, int column, int row) {
  if (count <= 0) return;
  DWORD written = 0;
  FillConsoleOutputCharacterA(Output(), ' ', static_cast<DWORD>(count), Cell(column, row), &written);
}

}  // namespace platform
