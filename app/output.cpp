// Standard output through a 128-byte buffer: passed on after every statement on a console,
// only when full (or flushed, or at the end) on a file or pipe.
#include "app/output.h"

#include <cstring>

#include "app/errors.h"

namespace {

// Standard output that is not open or of no known type.
constexpr int kNoStandardOutput = 105;

bool WriteToStandardOutput(const char* data, std::size_t size, int& error) {
  return platform::WriteStandardOutput(data, size, error);
}

struct Stream {
  bool bound = false;
  OutputTarget target{platform::StdKind::Unknown, nullptr};
  char buffer[128];
  std::size_t used = 0;
  std::uint64_t writes = 0;  // passed on to the target, and bindings
  void (*pending)() = nullptr;
};

Stream stream;

void BindOnFirstUse() {
  if (stream.bound) return;
  stream.target = OutputTarget{platform::StandardOutputKind(), &WriteToStandardOutput};
  stream.bound = true;
}

void PassOn() {
  if (stream.used == 0) return;
  int error = 0;
  std::size_t size = stream.used;
  stream.used = 0;
  ++stream.writes;
  if (!stream.target.write(stream.buffer, size, error)) RaiseInOutError(error);
}

void Append(std::string_view text) {
  while (!text.empty()) {
    std::size_t room = sizeof stream.buffer - stream.used;
    std::size_t n = text.size() < room ? text.size() : room;
    std::memcpy(stream.buffer + stream.used, text.data(), n);
    stream.used += n;
    text.remove_prefix(n);
    if (stream.used == sizeof stream.buffer) PassOn();
  }
}

void Statement(std::string_view text, std::string_view lineEnd) {
  DrawPendingText();
  BindOnFirstUse();
  if (stream.target.kind == platform::StdKind::Unknown) RaiseInOutError(kNoStandardOutput);
  Append(text);
  Append(lineEnd);
  if (stream.target.kind == platform::StdKind::Console) PassOn();
}

}  // namespace

void WriteOut(std::string_view text) {
  Statement(text, {});
}

void WriteLine(std::string_view text) {
  Statement(text, "\r\n");
}

void FlushOutput() {
  DrawPendingText();
  BindOnFirstUse();
  if (stream.target.kind == platform::StdKind::Unknown) return;
  PassOn();
}

void PassOnBeforeInterruptedEnd() noexcept {
  if (!stream.bound || stream.used == 0 || stream.target.kind == platform::StdKind::Unknown) return;
  int ignored = 0;
  const std::size_t size = stream.used;
  stream.used = 0;
  stream.target.write(stream.buffer, size, ignored);
}

void BindOutput(OutputTarget target) {
  stream.target = target;
  stream.bound = true;
  stream.used = 0;
  ++stream.writes;
}

std::uint64_t WriteCount() {
  return stream.writes;
}

bool OutputIsConsole() {
  BindOnFirstUse();
  return stream.target.kind == platform::StdKind::Console;
}

void DrawBeforeNextText(void (*draw)()) {
  stream.pending = draw;
}

void DrawPendingText() {
  if (stream.pending == nullptr) return;
  void (*draw)() = stream.pending;
  stream.pending = nullptr;
  draw();
}
