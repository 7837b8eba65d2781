// Waiting out another program's hold on the output file: a lock or an open that will pass must
// not throw away a finished download.
#include "app/open_output.h"

#include "platform/clock.h"
#include "ui/status.h"

namespace {

// Between two tries: short against the length of a save, long against the cost of a try.
constexpr std::uint32_t kRetryMs = 20;

platform::FileHandle TryOpen(const std::string& name, bool diskFileOnly) {
  return diskFileOnly ? platform::OpenDiskFileForWriting(name) : platform::OpenForWriting(name);
}

}  // namespace

platform::FileHandle OpenOutputFile(const std::string& name, bool diskFileOnly, const std::string& waiting) {
  platform::FileHandle file = TryOpen(name, diskFileOnly);
  if (file != platform::kNoFile || !platform::IsHeldByAnother()) return file;
  // The last progress line would look like a transfer that froze at its end.
  ShowStatus(waiting);
  const std::uint32_t start = platform::TickCount();
  do {
    platform::Pause(kRetryMs);
    file = TryOpen(name, diskFileOnly);
  } while (file == platform::kNoFile && platform::IsHeldByAnother() &&
           static_cast<std::uint32_t>(platform::TickCount() - start) < kFileWaitMs);
  return file;
}
