// Unhandled errors and the last-chance handler.
#include "app/errors.h"

#include <new>

#include "app/format.h"
#include "app/output.h"
#include "platform/process.h"
#include "platform/stdio.h"
#include "request/url.h"

namespace {

std::uintptr_t CallerAddress(void* address) {
  return reinterpret_cast<std::uintptr_t>(address);
}

std::string InOutErrorMessage(int error) {
  switch (error) {
    case 2:
      return "File not found";
    case 3:
      return "Invalid filename";
    case 4:
      return "Too many open files";
    case 5:
      return "File access denied";
    default:
      return FormatText("I/O error %d", {error});
  }
}

}  // namespace

// noinline keeps each raise in its own frame, so the return address is the raising code.
[[noreturn]] __attribute__((noinline)) void RaiseConvertError(const std::string& text) {
  throw UnhandledError{"EConvertError", FormatText("'%s' is not a valid integer value", {text}),
                       CallerAddress(__builtin_return_address(0))};
}

[[noreturn]] __attribute__((noinline)) void RaiseOutOfMemory() {
  throw UnhandledError{"EOutOfMemory", "Out of memory", CallerAddress(__builtin_return_address(0))};
}

[[noreturn]] __attribute__((noinline)) void RaiseInOutError(int error) {
  throw UnhandledError{"EInOutError", InOutErrorMessage(error), CallerAddress(__builtin_return_address(0))};
}

std::string UnhandledErrorReport(const UnhandledError& error, const std::string& moduleName) {
  // Eight upper-case hexadecimal digits, by hand: the C library's printf would add its whole
  // formatting engine to the program for this one number.
  char address[9] = {};
  for (int i = 0; i < 8; ++i) address[i] = "0123456789ABCDEF"[(error.address >> (28 - 4 * i)) & 15];
  std::string report = "Exception " + std::string(error.className) + " in module " + moduleName + " at " +
                       address + ".\r\n" + error.message;
  if (!error.message.empty() && error.message.back() != '.') report += '.';
  report += "\r\n";
  if (report.size() > 1023) report.resize(1023);
  return report;
}

namespace {

[[noreturn]] void Report(const UnhandledError& error) {
  try {
    FlushOutput();
  } catch (...) {
    // Standard output is what failed; the report goes to standard error regardless.
  }
  std::string report =
      platform::ToConsoleCodePage(UnhandledErrorReport(error, FileNamePart(platform::ModulePath())));
  platform::WriteStandardError(report.data(), report.size());
  platform::WriteStandardError("\r\n", 2);
  platform::EndProcess(1);
}

}  // namespace

int RunWithLastChanceHandler(const std::function<int()>& mainSequence) {
  try {
    return mainSequence();
  } catch (const UnhandledError& error) {
    Report(error);
  } catch (const std::bad_alloc&) {
    Report(UnhandledError{"EOutOfMemory", "Out of memory",
                          CallerAddress(reinterpret_cast<void*>(&RunWithLastChanceHandler))});
  } catch (const std::exception& error) {
    Report(UnhandledError{"Exception", error.what(),
                          CallerAddress(reinterpret_cast<void*>(&RunWithLastChanceHandler))});
  }
}
