// Progress lines on a console at a pace a person can read: a console that is slow next to the
// network must not set the speed of the download.
#pragma once

#include <cstdint>
#include <string_view>

// The least time between two progress lines drawn on a console.
inline constexpr std::uint32_t kRedrawIntervalMs = 50;

// Shows a progress line made at now (milliseconds of the transfer's clock, wrapping modulo 2^32).
// Redirected output gets every line at once. On a console the line is drawn when it is the first
// of a transfer or kRedrawIntervalMs have passed since the last one drawn; otherwise it is held, in
// place of any line held before, until DrawHeldProgress or EndProgress, or until any other text
// goes to standard output, which draws it first.
void ShowProgress(std::string_view message, std::uint32_t now);
// True while a progress line is held.
bool ProgressHeld();
// How long, at now, the held line may still wait for the next block: the milliseconds until
// kRedrawIntervalMs have passed since the last line drawn; 0 when none is held or it is due.
std::uint32_t HeldProgressWait(std::uint32_t now);
// Draws the held line, if there is one, at now: the program is about to wait.
void DrawHeldProgress(std::uint32_t now);
// The transfer has ended: its last line is drawn, and the next transfer's first line is drawn at
// once.
void EndProgress();
