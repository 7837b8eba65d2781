#include "app/main_sequence.h"

#include <cstdint>

#include "app/arguments.h"
#include "app/fetch_and_save.h"
#include "app/format.h"
#include "app/output.h"
#include "request/url.h"
#include "ui/banner.h"

namespace {

constexpr const char* kUsageSuffix = " http://www.example.com/youfolder/file.zip [localfilename]";

}  // namespace

int RunMainSequence() {
  ShowBanner("Pliv Version 1.0 - download file from web");
  if (const unsigned codePage = CodePageLackingArguments()) {
    WriteLine(
        FormatText("Fatal: the command line holds characters that the system's code page %d cannot represent",
                   {static_cast<std::int32_t>(codePage)}));
    FlushOutput();
    return kExitNotDownloaded;
  }
  if (ArgumentCount() == 0 || IsHelpSwitch(ArgumentText(1))) {
    WriteLine(FileNamePart(ArgumentText(0)) + kUsageSuffix);
    FlushOutput();
    return 0;
  }
  DownloadRequest request;
  SplitUrl(ArgumentText(1), request);
  WriteLine(
      FormatText("Downloading %s from %s on port %d", {request.LocalFileName, request.Host, request.Port}));
  const int exitCode = FetchAndSave(request);
  // What is still buffered reaches a file or pipe at the end of the run, inside the handler.
  FlushOutput();
  return exitCode;
}
