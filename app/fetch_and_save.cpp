// Saving the body and the closing report.
#include "app/fetch_and_save.h"

#include <cstdint>

#include "app/arguments.h"
#include "app/format.h"
#include "app/name_check.h"
#include "app/open_output.h"
#include "app/output.h"
#include "app/overwrite_file.h"
#include "platform/files.h"
#include "platform/interrupts.h"

namespace {

// Writes the body to name; false when the file could not be opened, written in full, cut or closed.
// Only a complete body of the resource asked for may replace what an existing file holds: after a
// failed transfer nothing is written or cut (a missing file is still created, empty), and after an
// incomplete one or the server's error response a file that holds bytes is left as it was (kept is
// then true), while an empty or new one gets what arrived.
// A body goes over the old content in place and the file is cut behind it: a longer old file must
// not keep its tail behind the new content, and a body that does not fit on the disk leaves the
// old bytes as they were. A name taken from the URL is opened only as a file on disk: the server
// must not be able to send the body to a device. A file that another program holds for now is
// waited for, a while, with waiting on the status row.
bool SaveContent(const std::string& name, bool nameFromUrl, const HttpResult& result,
                 const std::string& waiting, bool& kept) {
  kept = false;
  const platform::FileHandle file = OpenOutputFile(name, nameFromUrl, waiting);
  if (file == platform::kNoFile) return false;
  // Ctrl+C and its kind wait until the file is closed: cut short, the write would leave a file that
  // is neither the old one nor the new one. A pipe or a device has no old content to lose, and its
  // reader may never take the bytes: there they still end the run at once.
  const platform::HeldInterrupts held(platform::IsDiskFile(file));
  bool written = true;
  if (result.Outcome != TransferOutcome::Failed) {
    std::int64_t oldLength = 0;
    if (result.Outcome != TransferOutcome::Complete || IsErrorResponse(result)) {
      written = platform::FileLength(file, oldLength);
      kept = written && oldLength > 0;
    }
    if (written && !kept) written = OverwriteFile(file, result.Content.data(), result.Content.size());
  }
  const bool closed = platform::CloseFile(file);
  return written && closed;
}

// The closing line: the count of body bytes received and the name. The CR LF in front ends the
// status row the transfer left open. HttpGet keeps its texts below 2 GiB, so the count fits the
// 32-bit figure.
std::string ClosingLine(const HttpResult& result, const std::string& name) {
  return FormatText("\r\n\t%d byte(s) downloaded -> %s",
                    {static_cast<std::int32_t>(result.Content.size()), name});
}

// The closing line, then why nothing is saved: the declared body is larger than the room for it.
// The file is not touched, so a missing one is not created.
int ReportNoRoom(const HttpResult& result, const std::string& name, std::uint64_t room) {
  char figure[kNumberTextRoom];
  const std::string roomText(figure, PutCountText(figure, room));
  const std::string closing = ClosingLine(result, name);
  const std::string refusal =
      FormatText("Fatal: no room for %s: the server declares %d bytes, the disk has room for %s",
                 {name, result.ContentLength, roomText});
  WriteLine(closing);
  WriteLine(refusal);
  return kExitNotDownloaded;
}

}  // namespace

int SaveAndReport(const HttpResult& result, const std::string& name, bool nameFromUrl) {
  const auto received = static_cast<std::int32_t>(result.Content.size());
  // Every line is made before the file is touched: memory that runs out while they are made ends
  // the run in the error report, which must find the file as it was.
  const std::string closing = ClosingLine(result, name);
  std::string incomplete;
  std::string keptLine;
  if (result.Outcome == TransferOutcome::Short || result.Outcome == TransferOutcome::Broken) {
    incomplete = result.ContentLength > 0 && received < result.ContentLength
                     ? FormatText("Fatal: download incomplete, %d of %d bytes received",
                                  {received, result.ContentLength})
                     : FormatText("Fatal: connection broken after %d bytes", {received});
    // The closing line names the file: nobody may take it for the fragment.
    keptLine = "The existing file " + name + " was kept; the incomplete download was not saved";
  }
  std::string answered;
  if (IsErrorResponse(result)) {
    // The code as the server sent it, leading zeros included.
    const char code[] = {static_cast<char>('0' + result.StatusCode / 100),
                         static_cast<char>('0' + result.StatusCode / 10 % 10),
                         static_cast<char>('0' + result.StatusCode % 10), '\0'};
    answered = "Fatal: the server answered " + std::string(code);
    if (!result.Reason.empty()) answered += " " + result.Reason;
    if (!result.Location.empty()) answered += " (moved to " + result.Location + ")";
    keptLine = "The existing file " + name + " was kept; the server's answer was not saved";
  }
  // The system's reason joins this line once the save has failed: the room for it is taken now.
  std::string notWritten = "Fatal: could not write " + name;
  notWritten.reserve(notWritten.size() + 2 + platform::kReasonSize);
  const std::string waiting = "Waiting for another program to release " + name + " ...";

  bool kept = false;
  const bool saved = SaveContent(name, nameFromUrl, result, waiting, kept);
  WriteLine(closing);
  if (!incomplete.empty()) WriteLine(incomplete);
  if (!answered.empty()) WriteLine(answered);
  if (kept) WriteLine(keptLine);
  if (!saved) {
    char reason[platform::kReasonSize];
    platform::FileErrorReason(reason);
    notWritten += ": ";
    notWritten += reason;  // within the room reserved above: no memory is taken
    WriteLine(notWritten);
  }

  const bool complete = result.Outcome == TransferOutcome::Complete && !IsErrorResponse(result);
  return complete && saved ? 0 : kExitNotDownloaded;
}

int FetchAndSave(const DownloadRequest& request) {
  const std::string given = ArgumentText(2);
  // Argument 2 is the user's own choice, a device included; only a name from the URL is guarded.
  const bool fromUrl = given.empty();
  const std::string& name = fromUrl ? request.LocalFileName : given;
  // A name that can never be saved ends the run before the transfer: the body would only be lost.
  const std::string refusal = RefusalOfLocalName(name, fromUrl);
  if (!refusal.empty()) {
    WriteLine(refusal);
    return kExitNotDownloaded;
  }
  // A declared body larger than the room for it ends the transfer once the headers have come: it
  // could only be lost. Without a figure from the system the save reports what it meets.
  std::uint64_t room = 0;
  const auto bodyFits = [&name, &room](std::int32_t length) {
    return !platform::RoomForFile(name, room) || static_cast<std::uint64_t>(length) <= room;
  };
  const HttpResult result = HttpGet(request.Host, request.Port, request.RemotePath, bodyFits);
  if (result.Outcome == TransferOutcome::Declined) return ReportNoRoom(result, name, room);
  return SaveAndReport(result, name, fromUrl);
}
