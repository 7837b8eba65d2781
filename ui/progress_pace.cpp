// Progress lines on a console, drawn at most every kRedrawIntervalMs; the rest are held.
#include "ui/progress_pace.h"

#include <cstdint>
#include <cstring>

#include "app/output.h"
#include "ui/status.h"

namespace {

struct Pace {
  // The held line, copied: the caller's buffer is reused for the next one. No allocation, so the
  // error report of exhausted memory can still draw it.
  char text[256];
  std::size_t size = 0;
  bool held = false;
  std::uint32_t heldAt = 0;
  bool drawnAny = false;  // in this transfer
  std::uint32_t lastDrawn = 0;
};

Pace pace;

// Milliseconds since the last line drawn. A line drawn at the end of a wait is dated to then, and
// a coarse clock (GetTickCount may step by some 16 ms) can read a little earlier afterwards: that
// is no time passed, not almost 2^32 ms.
std::uint32_t SinceLastDraw(std::uint32_t now) {
  const std::uint32_t since = now - pace.lastDrawn;
  return since > UINT32_MAX / 2 ? 0 : since;
}

void Draw(std::string_view message, std::uint32_t now) {
  pace.drawnAny = true;
  pace.lastDrawn = now;
  ShowStatus(message);
}

void DrawHeldAt(std::uint32_t now) {
  if (!pace.held) return;
  pace.held = false;
  Draw({pace.text, pace.size}, now);
}

// Before other text or at the end: dated to when the line was made, the clock's last reading.
void DrawHeld() {
  DrawHeldAt(pace.heldAt);
}

}  // namespace

void ShowProgress(std::string_view message, std::uint32_t now) {
  // A file or pipe is read by scripts, and writing to it costs next to nothing: every line.
  if (!OutputIsConsole()) return ShowStatus(message);
  const bool due = !pace.drawnAny || SinceLastDraw(now) >= kRedrawIntervalMs;
  if (due || message.size() > sizeof pace.text) {
    // This line replaces any held one on the screen.
    pace.held = false;
    DrawBeforeNextText(nullptr);
    return Draw(message, now);
  }
  std::memcpy(pace.text, message.data(), message.size());
  pace.size = message.size();
  pace.held = true;
  pace.heldAt = now;
  DrawBeforeNextText(&DrawHeld);
}

bool ProgressHeld() {
  return pace.held;
}

std::uint32_t HeldProgressWait(std::uint32_t now) {
  if (!pace.held) return 0;
  const std::uint32_t since = SinceLastDraw(now);
  return since >= kRedrawIntervalMs ? 0 : kRedrawIntervalMs - since;
}

void DrawHeldProgress(std::uint32_t now) {
  DrawBeforeNextText(nullptr);
  // The interval counts from the drawing: a line drawn after waiting out its time must not be
  // followed at once by the next block's.
  DrawHeldAt(now);
}

void EndProgress() {
  DrawBeforeNextText(nullptr);
  DrawHeld();
  pace.drawnAny = false;
}
