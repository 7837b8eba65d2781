// The console of standard output on POSIX: a terminal driven with VT (ECMA-48) sequences.
//
// A terminal has no attribute word that could be read back, so this layer keeps one. It starts
// as 0x07, "the user's own colours"; every other word is shown with explicit colours.
// Windows numbers its 16 colours blue = bit 0, green = bit 1, red = bit 2, intensity = bit 3;
// ANSI numbers them red = 1, green = 2, blue = 4, so the bits are swapped on the way.
//
// Every byte this layer writes (ESC is byte 0x1B):
//   ESC [ 0 m              (1B 5B 30 6D)  SGR 0: the terminal's own colours; for word 0x07.
//   ESC [ 0 ; F ; B m      SGR: any other word. F = 30 + colour for a foreground without
//                          intensity, 90 + colour with it; B = 49 (the terminal's own
//                          background) for background 0, else 40 + colour, or 100 + colour
//                          with intensity. Light green on background 0 (0x0A): ESC [ 0;92;49 m.
//   CR                     (0D)  column 1 of the cursor's row.
//   ESC [ n C              cursor n columns to the right (a column further in on the cursor's row).
//   ESC [ n A              cursor n rows up, in the same column; it stops at the top row (back to
//                          the first row of a status that took several).
//   ESC [ r ; c H          cursor to row r, column c (1-based, rows counted on the screen).
//   ESC [ K                (1B 5B 4B)  blanks from the cursor to the end of its row in the
//                          current background; the cursor stays.
//   ESC [ n X              blanks n cells from the cursor; the cursor stays.
//   ESC [ J                (1B 5B 4A)  blanks from the cursor to the end of the screen in the
//                          current background; the cursor stays. For a blanking that goes past
//                          the cursor's row: the rows of a status that took several, and nothing
//                          of the program's below them.
//   ESC 7 / ESC 8          (1B 37 / 1B 38)  save / restore the cursor around blanking another row.
//
// The cursor's row cannot be asked for without reading the terminal's input, so the screen-
// buffer information reports the row vt::kCursorRow, which the operations take as "the row the
// cursor is on": moving to column 0 of it is a carriage return, and vt::kCursorRow - n is the
// row n rows above it. The column is reported as 0. Text that ends exactly at the right edge
// leaves a terminal's cursor on that row until the next character, where a Windows console has
// already moved it down; the information says so (wrapsAtOnce false).
// Recolouring cells without rewriting them is not possible on a terminal; the blanks that
// follow take the current background, which is the attribute the row clearing asks for.
//
// The width and height are the terminal's own (TIOCGWINSZ on standard output), read at the first
// operation and again at the first reading of the screen-buffer information after the window was
// resized (SIGWINCH), not for every received block. Only that reading takes a new size: the
// operations that follow it work with the size it reported, so one status never mixes two widths.
// A width of 0 (serial consoles, ssh -tt from a script) or one that cannot be read is unknown;
// then blanking the cursor's row is ESC [K whatever the count, as nothing past that row can be
// told apart.
//
// A dumb terminal (TERM=dumb) takes none of the sequences above: no colours, and the cursor's
// row is the only place reachable, with CR, and no row above it is (canMoveUp false). There the
// row is blanked with blanks written over it, one cell short of the right edge (a dumb terminal
// wraps as soon as the last cell is written), followed by another CR:
//   CR  n blanks  CR       the cursor's row blanked, the cursor back at column 1.
//
// When standard output is not a terminal nothing is written at all: a file or pipe never
// receives an escape sequence. The bytes of the operations are held for the next write to
// standard output and go out in front of its text, in the same write (platform/stdio.h); the
// output stream passes its text on after every statement on a terminal, so the screen shows text
// and colours in the order the program wrote them, and a status line costs one write however
// many operations prepare it.
#include <sys/ioctl.h>
#include <unistd.h>
#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/console.h"
#include "platform/console_vt.h"
#include "platform/stdio.h"

namespace platform {
namespace vt {
namespace {

constexpr char kEsc = '\x1b';

// ANSI colour index of a Windows colour nibble (intensity left out).
int AnsiColour(int windowsColour) {
  return ((windowsColour & 4) ? 1 : 0) + ((windowsColour & 2) ? 2 : 0) + ((windowsColour & 1) ? 4 : 0);
}

std::string Csi(std::string parameters, char final) {
  std::string bytes{kEsc, '['};
  bytes += parameters;
  bytes += final;
  return bytes;
}

// Blanks count cells from the cursor; the cursor stays. (The status line blanks its whole row
// after every received block: that sequence is a constant.)
std::string EraseSequence(const Terminal& terminal, int count, int column) {
  if (terminal.width <= 0) return {kEsc, '[', 'K'};
  if (column + count > terminal.width) return {kEsc, '[', 'J'};
  if (column + count == terminal.width) return {kEsc, '[', 'K'};
  return Csi(std::to_string(count), 'X');
}

void Write(const Terminal& terminal, std::string_view bytes) {
  if (terminal.write) terminal.write(bytes);
}

}  // namespace

std::string AttributeSequence(std::uint16_t attribute) {
  int colours = attribute & 0xFF;
  if (colours == kUserColours) return Csi("0", 'm');
  int foreground = colours & 0x0F;
  int background = colours >> 4;
  int fg = ((foreground & 8) ? 90 : 30) + AnsiColour(foreground);
  int bg = background == 0 ? 49 : ((background & 8) ? 100 : 40) + AnsiColour(background);
  return Csi("0;" + std::to_string(fg) + ";" + std::to_string(bg), 'm');
}

bool GetScreenBufferInfo(const Terminal& terminal, ScreenBufferInfo& info) {
  if (!terminal.isTerminal) return false;
  info.width = terminal.width;
  info.cursorColumn = 0;
  info.cursorRow = kCursorRow;
  info.attribute = terminal.attribute;
  info.wrapsAtOnce = terminal.dumb;
  info.positionKnown = false;
  info.canMoveUp = !terminal.dumb;
  info.height = terminal.height;
  return true;
}

void SetConsoleAttribute(Terminal& terminal, std::uint16_t attribute) {
  if (!terminal.isTerminal) return;
  terminal.attribute = attribute;
  if (!terminal.dumb) Write(terminal, AttributeSequence(attribute));
}

void SetCursorPosition(const Terminal& terminal, int column, int row) {
  if (!terminal.isTerminal || column < 0) return;
  if (terminal.dumb) {
    if (row == kCursorRow && column == 0) Write(terminal, "\r");
    return;
  }
  if (row == kCursorRow && column == 0) {
    Write(terminal, "\r");
  } else if (row <= kCursorRow) {
    std::string bytes{'\r'};
    if (row < kCursorRow) bytes += Csi(std::to_string(kCursorRow - row), 'A');
    if (column > 0) bytes += Csi(std::to_string(column), 'C');
    Write(terminal, bytes);
  } else if (row >= 0) {
    Write(terminal, Csi(std::to_string(row + 1) + ";" + std::to_string(column + 1), 'H'));
  }
}

void FillAttribute(const Terminal&, std::uint16_t, int, int, int) {}

void FillBlanks(const Terminal& terminal, int count, int column, int row) {
  if (!terminal.isTerminal || count <= 0 || column < 0) return;
  if (terminal.dumb) {
    // Only from column 1 of the cursor's row, where the status line starts, can CR bring the
    // cursor back.
    // Blanks that reach the row's end would wrap: of unknown width there are none.
    if (row != kCursorRow || column != 0 || terminal.width <= 0) return;
    std::string bytes(static_cast<std::size_t>(std::min(count, terminal.width - 1)), ' ');
    if (!bytes.empty()) Write(terminal, bytes += '\r');
    return;
  }
  if (row == kCursorRow) {
    Write(terminal, EraseSequence(terminal, count, column));
  } else if (row >= 0) {
    std::string bytes{kEsc, '7'};
    bytes += Csi(std::to_string(row + 1) + ";" + std::to_string(column + 1), 'H');
    bytes += EraseSequence(terminal, count, column);
    bytes += std::string{kEsc, '8'};
    Write(terminal, bytes);
  }
}

namespace {

Terminal* bound = nullptr;

void WriteToStandardOutput(std::string_view bytes) {
  HoldStandardOutput(bytes.data(), bytes.size());
}

// Set by SIGWINCH: the window was resized, the width is to be read again.
volatile std::sig_atomic_t resized = 0;

void NoteResize(int) {
  resized = 1;
}

void ReadSize(Terminal& terminal) {
  winsize size{};
  const bool known = ::ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0;
  terminal.width = known ? size.ws_col : 0;
  terminal.height = known ? size.ws_row : 0;
}

// Standard output as a terminal, looked at on first use: asking again for every operation would
// cost system calls for every received block of a download. Only the size can change during a
// run, and the terminal announces that with SIGWINCH; Reading() takes it in.
Terminal& Current() {
  if (bound) return *bound;
  static Terminal standardOutput = [] {
    const char* type = std::getenv("TERM");
    Terminal terminal{::isatty(STDOUT_FILENO) != 0, 80, kUserColours, &WriteToStandardOutput,
                      type != nullptr && std::strcmp(type, "dumb") == 0};
    if (terminal.isTerminal) {
      ReadSize(terminal);
      struct sigaction action {};
      action.sa_handler = &NoteResize;
      sigemptyset(&action.sa_mask);
      // The blocking socket, file and terminal calls go on after the signal instead of failing.
      action.sa_flags = SA_RESTART;
      ::sigaction(SIGWINCH, &action, nullptr);
    }
    return terminal;
  }();
  return standardOutput;
}

// The terminal for a reading of the screen-buffer information: with the new size after a resize.
Terminal& Reading() {
  Terminal& terminal = Current();
  if (resized && &terminal != bound) {
    resized = 0;
    ReadSize(terminal);
  }
  return terminal;
}

}  // namespace

void BindTerminal(Terminal* terminal) {
  bound = terminal;
}

}  // namespace vt

bool GetScreenBufferInfo(ScreenBufferInfo& info) {
  return vt::GetScreenBufferInfo(vt::Reading(), info);
}

void SetConsoleAttribute(std::uint16_t attribute) {
  vt::SetConsoleAttribute(vt::Current(), attribute);
}

void SetCursorPosition(int column, int row) {
  vt::SetCursorPosition(vt::Current(), column, row);
}

void FillAttribute(std::uint16_t attribute, int count, int column, int row) {
  vt::FillAttribute(vt::Current(), attribute, count, column, row);
}

void FillBlanks(int count, int column, int row) {
  vt::FillBlanks(vt::Current(), count, column, row);
}

}  // namespace platform
