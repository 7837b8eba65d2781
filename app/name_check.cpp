// The check of the local name before the transfer: a body that can never be saved is not fetched.
#include "app/name_check.h"

#include <string_view>
#include <utility>

#include "app/format.h"
#include "platform/files.h"

namespace {

// Why name cannot be saved, or nullptr. The reason follows lead and the name in words (a folder's
// or the stored name); one about a refused character is followed by that character (in refused) and
// a quote; one that ends in a blank by the system's reason.
const char* WhyNotSaved(const std::string& name, bool fromUrl, const char*& lead, std::string& words,
                        char& refused) {
  // A name from the URL is all last part.
  const platform::PathParts parts = platform::SplitPath(name);
  const std::string_view last = std::string_view(name).substr(parts.lastStart);
  // A device from the URL is the server's choice and never opened; as argument 2 it is the user's,
  // and nothing below applies to it (nul, a port, a pipe).
  if (platform::IsDeviceName(last)) return fromUrl ? "the system reads that name as a device" : nullptr;
  if (last.empty() || last == "." || last == "..") return "it names a folder, not a file";
  refused = parts.refused;
  if (static_cast<unsigned char>(refused) >= 32) return "a file name may not hold the character \"";
  if (refused != 0) return "control characters are not allowed in a file name";
  // The closing line must name the file the body went into: from the URL, a name that the system
  // would store under another one (Windows: a dot or blank at its end, a short name) is refused.
  if (fromUrl && platform::IsStoredUnderOtherName(name, words)) {
    if (words.empty()) return "it names a folder, not a file";
    lead = "the system would store it as ";
    return "";
  }
  std::string folder(name, 0, parts.folderEnd);
  if (!folder.empty()) {
    const platform::PathKind kind = platform::KindOfPath(folder);
    if (kind == platform::PathKind::Missing || kind == platform::PathKind::File ||
        kind == platform::PathKind::Other) {
      words = std::move(folder);
      if (kind != platform::PathKind::Missing) return " is not a folder";
      lead = "the folder ";
      return " does not exist";
    }
  }
  if (platform::IsNameTooLong(folder, last)) return "the name is longer than the file system allows";
  // Only what lasts refuses: a permission or a read-only file or file system. A lock, a lease, a
  // file that vanished between two looks or an answer not understood goes ahead, and the save
  // waits out or reports what it meets.
  switch (platform::KindOfPath(name)) {
    case platform::PathKind::Folder:
      return "it is a folder";
    case platform::PathKind::File:
      return platform::IsLastingFileError(platform::WhyExistingNotWritable(name))
                 ? "the file cannot be opened for writing: "
                 : nullptr;
    case platform::PathKind::Missing:
      // A last name that does not follow its folder at once (Windows: "C:f.txt", a stream) lies in
      // a folder this check cannot name.
      if (parts.lastStart != parts.folderEnd ||
          !platform::IsLastingFileError(platform::WhyNoNewFileIn(name, folder)))
        return nullptr;
      lead = "a new file cannot be made in ";
      words = folder.empty() ? "the current folder" : "the folder " + folder;
      return ": ";
    default:
      // A device or a pipe is opened only by the save itself, since opening one may wait for a
      // reader or reach hardware. Unknown: the save reports what it meets.
      return nullptr;
  }
}

}  // namespace

std::string RefusalOfLocalName(const std::string& name, bool fromUrl) {
  if (name.empty()) return "Fatal: cannot save: the URL ends in no file name; a second argument gives one";
  const char* lead = "";
  std::string words;
  char refused = 0;
  const char* const why = WhyNotSaved(name, fromUrl, lead, words, refused);
  if (why == nullptr) return {};
  const char quoted[] = {refused, '"', '\0'};
  char reason[platform::kReasonSize] = "";
  const std::string_view said(why);
  if (!said.empty() && said.back() == ' ') platform::FileErrorReason(reason);
  return FormatText("Fatal: cannot save as %s: %s%s%s%s%s%s",
                    {name, lead, words, said, static_cast<unsigned char>(refused) >= 32 ? quoted : "", reason,
                     fromUrl ? "; a second argument gives another name" : ""});
}
