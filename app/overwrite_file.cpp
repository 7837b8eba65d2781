// Writing a body over an existing file in place: the same file, its links, owner and permissions
// stay, and no second copy needs room, but the space for the new length is taken first.
#include "app/overwrite_file.h"

#include <cstdint>

namespace {

// After a failed write beyond the old end: back to the old length. The result does not count, as
// the save has failed anyway.
void CutBackTo(platform::FileHandle file, std::int64_t oldLength) {
  if (platform::SetFilePosition(file, oldLength)) platform::CutFileHere(file);
}

}  // namespace

bool OverwriteFile(platform::FileHandle file, const char* data, std::size_t size) {
  std::int64_t oldLength = 0;
  if (!platform::FileLength(file, oldLength)) return false;
  // The body's first bytes land on old ones; the rest extends the file.
  const std::size_t over =
      static_cast<std::uint64_t>(oldLength) < size ? static_cast<std::size_t>(oldLength) : size;

  // Writing the new part truly takes its space on every file system; extending the length alone
  // may only make a sparse file that still fails on a full disk later. With no old bytes the file
  // is written from where it was opened, its start, with no seek, which pipes refuse.
  if (size > over) {
    if ((over > 0 && !platform::SetFilePosition(file, static_cast<std::int64_t>(over))) ||
        !platform::WriteToFile(file, data + over, size - over)) {
      CutBackTo(file, oldLength);
      return false;
    }
  }
  if (over > 0) {
    if (!platform::SetFilePosition(file, 0) || !platform::WriteToFile(file, data, over)) return false;
    // After a longer body the end is already behind it; after a shorter one the old tail goes.
    if (!platform::SetFilePosition(file, static_cast<std::int64_t>(size))) return false;
  }
  return platform::CutFileHere(file);
}
