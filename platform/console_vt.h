// The console operations of platform/console.h rendered as VT sequences for a terminal, which
// has no screen buffer that could be read back. The POSIX console is built on these; they take
// the terminal as a parameter so that the bytes they produce can be checked directly.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "platform/console.h"

namespace platform::vt {

// The attribute word a terminal starts with. It stands for "the user's own colours" and is
// rendered as SGR 0, so a restored banner colour never forces light grey on black.
inline constexpr std::uint16_t kUserColours = 0x07;

// A terminal cannot report its cursor without reading its input, so the screen-buffer
// information gives this row for the cursor, and the operations take it as "the cursor's row";
// kCursorRow - n stands for the row n rows above it.
inline constexpr int kCursorRow = -0x4000;

struct Terminal {
  // False: standard output is not a terminal; every operation does nothing and writes no byte.
  bool isTerminal = false;
  // Cells in a row: how many rows a status took depends on it. 0: the terminal does not say.
  int width = 80;
  // The last attribute word set; a terminal is the only one who knows its colours otherwise.
  std::uint16_t attribute = kUserColours;
  // Receives the bytes of one operation in one call.
  std::function<void(std::string_view bytes)> write;
  // The terminal declares itself dumb (TERM=dumb): it takes no escape sequence, only CR and text.
  bool dumb = false;
  // Rows of the window: a status never takes more. 0: the terminal does not say.
  int height = 0;
};

// The SGR sequence that shows an attribute word's colours.
std::string AttributeSequence(std::uint16_t attribute);

bool GetScreenBufferInfo(const Terminal& terminal, ScreenBufferInfo& info);
void SetConsoleAttribute(Terminal& terminal, std::uint16_t attribute);
void SetCursorPosition(const Terminal& terminal, int column, int row);
void FillAttribute(const Terminal& terminal, std::uint16_t attribute, int count, int column, int row);
void FillBlanks(const Terminal& terminal, int count, int column, int row);

// Points the console of platform/console.h at terminal instead of standard output (for tests);
// nullptr points it back.
void BindTerminal(Terminal* terminal);

}  // namespace platform::vt
