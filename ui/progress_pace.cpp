// Progress lines on a console, drawn at most every kRedrawIntervalMs; the rest are held.
#include "ui/progress_pace.h"

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

void Draw(std::string_view message, std::uint32_t madeAt) {
  pace.drawnAny = true;
  pace.lastDrawn = madeAt;
  ShowStatus(message);
}

void DrawHeld() {
  if (!pace.held) return;
  pace.held = false;
  Draw({pace.text, pace.size}, pace.heldAt);
}

}  // namespace

void ShowProgress(std::string_view message, std::uint32_t now) {
  // A file or pipe is read by scripts, and writing to it costs next to nothing: every line.
  if (!OutputIsConsole()) return ShowStatus(message);
  const bool due = !pace.drawnAny || now - pace.lastDrawn >= kRedrawIntervalMs;
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

void DrawHeldProgress() {
  DrawBeforeNextText(nullptr);
  DrawHeld();
}

void EndProgress() {
  DrawHeldProgress();
  pace.drawnAny = false;
}
