// The last step of a run: the transfer, the local file and the closing report.
#pragma once

#include <string>

#include "net/http_get.h"
#include "request/url.h"

// The exit code of a run whose download failed, stopped short, met the server's error response
// or could not be saved.
inline constexpr int kExitNotDownloaded = 2;

// Fetches the request's resource, saves it under argument 2 or else the derived name, and
// prints the closing line; a name that can never be saved ends the run with its "Fatal: " line
// before anything is fetched, and a declared body larger than the room for it once the headers
// have come, with nothing touched. Returns the exit code: 0 when the whole body is in the file.
int FetchAndSave(const DownloadRequest& request);

// Saves a transfer's result under name and prints the closing line, then a "Fatal: " line for
// an incomplete body, one for the server's error response, a line for an existing file kept after
// either, and a "Fatal: " line for a file that could not be written. A name from the URL (nameFromUrl) is
// written only as a file on disk. Returns the exit code.
int SaveAndReport(const HttpResult& result, const std::string& name, bool nameFromUrl);
