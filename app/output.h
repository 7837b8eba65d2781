// Standard output: the one channel for the program's own text, buffered in 128 bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/stdio.h"

// Where the stream passes its bytes on. The program binds it lazily to the process's standard
// output; tests bind it to a recorder of their own.
struct OutputTarget {
  platform::StdKind kind;
  // Writes the bytes; false with the system's error number on failure.
  bool (*write)(const char* data, std::size_t size, int& error);
};

// Appends text (one write statement). On a console the bytes are on the screen when it returns.
void WriteOut(std::string_view text);
// Appends text and CR LF (one write statement).
void WriteLine(std::string_view text);
// Passes the buffered bytes on now.
void FlushOutput();
// Passes on what is buffered, when the run is about to end by an interrupt that was held: no text
// that waits to be drawn is added, and a failure is not reported (nothing is left to report it).
// Never throws.
void PassOnBeforeInterruptedEnd() noexcept;
// Binds the stream to a target, dropping anything still buffered for the previous one.
void BindOutput(OutputTarget target);
// Counts the times the stream passed bytes on and was bound: a status line on a console, where
// every statement is passed on at once, can tell from it whether anything came after its text.
std::uint64_t WriteCount();
// True when the bound stream is a console; binds it first if needed.
bool OutputIsConsole();
// Text that has to reach standard output before any other: a status line held back on a console.
// The stream calls draw once, before its next statement or flush, and forgets it first (so draw may
// write). Another call replaces it; nullptr forgets it.
void DrawBeforeNextText(void (*draw)());
// Calls the draw set above now, if there is one: for writers that prepare the screen before they
// write (the status line).
void DrawPendingText();
