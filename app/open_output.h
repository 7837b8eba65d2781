// Opening the output file: another program that holds it for now is waited for, a while.
#pragma once

#include <cstdint>
#include <string>

#include "platform/files.h"

// How long the save waits for another program to let go of the file: long enough for another
// run's save of a 2 GiB body on an ordinary disk (at 75 MB/s under 29 s), short enough that a file
// held for good ends the run soon.
inline constexpr std::uint32_t kFileWaitMs = 30000;

// Opens name for writing (only as a file on disk when diskFileOnly). While another program holds
// the file, the status row shows waiting and the open is tried again until it succeeds, fails
// otherwise, or kFileWaitMs have passed. kNoFile when it could not be opened; the platform's
// FileErrorReason then says why.
platform::FileHandle OpenOutputFile(const std::string& name, bool diskFileOnly, const std::string& waiting);
