// Saving the body and the closing report.
#include "app/fetch_and_save.h"

#include <cstdint>

#include "app/arguments.h"
#include "app/format.h"
#include "app/output.h"
#include "app/overwrite_file.h"
#include "platform/files.h"

namespace {

// Writes the body to name; false when the file could not be opened, written in full, cut or closed.
// After a failed transfer nothing is written or cut, so an existing file keeps every byte (a missing
// one is still created, empty). Otherwise the body goes over the old content in place and the file
// is cut behind it: a longer old file must not keep its tail behind the new content, and a body
// that does not fit on the disk leaves the old bytes as they were.
bool SaveContent(const std::string& name, const HttpResult& result) {
  const platform::FileHandle file = platform::OpenForWriting(name);
  if (file == platform::kNoFile) return false;
  bool written = true;
  if (result.Outcome != TransferOutcome::Failed) {
    written = OverwriteFile(file, result.Content.data(), result.Content.size());
  }
  const bool closed = platform::CloseFile(file);
  return written && closed;
}

}  // namespace

int SaveAndReport(const HttpResult& result, const std::string& name) {
  // HttpGet keeps its texts below 2 GiB, so the count fits the 32-bit figure.
  const auto received = static_cast<std::int32_t>(result.Content.size());
  // Every line is made before the file is touched: memory that runs out while they are made ends
  // the run in the error report, which must find the file as it was.
  // The CR LF in front ends the status row the transfer left open.
  const std::string closing = FormatText("\r\n\t%d byte(s) downloaded -> %s", {received, name});
  std::string incomplete;
  if (result.Outcome == TransferOutcome::Short || result.Outcome == TransferOutcome::Broken) {
    incomplete = result.ContentLength > 0 && received < result.ContentLength
                     ? FormatText("Fatal: download incomplete, %d of %d bytes received",
                                  {received, result.ContentLength})
                     : FormatText("Fatal: connection broken after %d bytes", {received});
  }
  const std::string notWritten = "Fatal: could not write " + name;

  const bool saved = SaveContent(name, result);
  WriteLine(closing);
  if (!incomplete.empty()) WriteLine(incomplete);
  if (!saved) WriteLine(notWritten);

  const bool complete = result.Outcome == TransferOutcome::Complete;
  return complete && saved ? 0 : kExitNotDownloaded;
}

int FetchAndSave(const DownloadRequest& request) {
  const HttpResult result = HttpGet(request.Host, request.Port, request.RemotePath);
  const std::string given = ArgumentText(2);
  return SaveAndReport(result, given.empty() ? request.LocalFileName : given);
}
