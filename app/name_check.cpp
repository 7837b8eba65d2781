// The check of the local name before the transfer: a body that can never be saved is not fetched.
#include "app/name_check.h"

#include "platform/files.h"

namespace {

// Why name cannot be saved, or nullptr. A reason about the folder follows the words in folder; one
// about a refused character is followed by that character (in refused) and a quote.
const char* WhyNotSaved(const std::string& name, bool fromUrl, std::string& folder, char& refused) {
  // A device from the URL is the server's choice and never opened; as argument 2 it is the user's,
  // and nothing below applies to it (nul, a port, a pipe).
  if (platform::IsDeviceName(name)) return fromUrl ? "the system reads that name as a device" : nullptr;
  const platform::PathParts parts = platform::SplitPath(name);
  if (platform::IsDeviceName(parts.last)) return nullptr;
  if (parts.last.empty() || parts.last == "." || parts.last == "..") return "it names a folder, not a file";
  refused = platform::RefusedNameCharacter(parts.last);
  if (static_cast<unsigned char>(refused) >= 32) return "a file name may not hold the character \"";
  if (refused != 0) return "control characters are not allowed in a file name";
  if (!parts.folder.empty()) {
    const platform::PathKind kind = platform::KindOfPath(parts.folder);
    if (kind == platform::PathKind::Missing) {
      folder = "the folder " + parts.folder;
      return " does not exist";
    }
    if (kind == platform::PathKind::File || kind == platform::PathKind::Other) {
      folder = parts.folder;
      return " is not a folder";
    }
  }
  if (platform::IsNameTooLong(parts.folder, parts.last))
    return "the name is longer than the file system allows";
  switch (platform::KindOfPath(name)) {
    case platform::PathKind::Folder:
      return "it is a folder";
    case platform::PathKind::File:
      return platform::CanOpenExistingForWriting(name) ? nullptr : "the file cannot be opened for writing";
    default:
      // Missing: the save creates it. A device or a pipe is opened only by the save itself, since
      // opening one may wait for a reader or reach hardware. Unknown: the save reports what it meets.
      return nullptr;
  }
}

}  // namespace

std::string RefusalOfLocalName(const std::string& name, bool fromUrl) {
  if (name.empty()) return "Fatal: cannot save: the URL ends in no file name; a second argument gives one";
  std::string folder;
  char refused = 0;
  const char* const why = WhyNotSaved(name, fromUrl, folder, refused);
  if (why == nullptr) return {};
  std::string line = "Fatal: cannot save as ";
  line += name;
  line += ": ";
  line += folder;
  line += why;
  if (static_cast<unsigned char>(refused) >= 32) {
    line += refused;
    line += '"';
  }
  if (fromUrl) line += "; a second argument gives another name";
  return line;
}
