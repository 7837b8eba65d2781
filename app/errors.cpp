// Unhandled errors and the last-chance handler.
#include "app/errors.h"

#include <cstring>
#include <exception>
#include <new>

#include "app/format.h"
#include "app/output.h"
#include "platform/process.h"
#include "platform/stdio.h"
#include "request/url.h"

void ReportText::Append(std::string_view text) {
  const std::size_t n = text.size() < kReportLimit - size ? text.size() : kReportLimit - size;
  std::memcpy(bytes + size, text.data(), n);
  size += n;
}

bool operator==(const ReportText& text, std::string_view other) {
  return text.View() == other;
}

UnhandledError::UnhandledError(const char* className, std::string_view message, std::uintptr_t address)
    : className(className), address(address) {
  this->message.Append(message);
}

namespace {

std::uintptr_t CallerAddress(void* address) {
  return reinterpret_cast<std::uintptr_t>(address);
}

std::string_view InOutErrorMessage(int error, char (&digits)[kNumberTextRoom]) {
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
      return {digits, static_cast<std::size_t>(PutIntegerText(digits, error) - digits)};
  }
}

}  // namespace

// noinline keeps each raise in its own frame, so the return address is the raising code.
// The messages are put together in the error's own storage: raising allocates nothing but the
// exception object, which the runtime can still take from its reserve when the heap is exhausted.
[[noreturn]] __attribute__((noinline)) void RaiseConvertError(std::string_view text) {
  UnhandledError error{"EConvertError", "'", CallerAddress(__builtin_return_address(0))};
  error.message.Append(text);
  error.message.Append("' is not a valid integer value");
  throw error;
}

[[noreturn]] __attribute__((noinline)) void RaiseOutOfMemory() {
  throw UnhandledError{"EOutOfMemory", "Out of memory", CallerAddress(__builtin_return_address(0))};
}

[[noreturn]] __attribute__((noinline)) void RaiseInOutError(int error) {
  char digits[kNumberTextRoom];
  std::string_view message = InOutErrorMessage(error, digits);
  UnhandledError raised{"EInOutError", "", CallerAddress(__builtin_return_address(0))};
  if (message.data() == digits) raised.message.Append("I/O error ");
  raised.message.Append(message);
  throw raised;
}

std::string_view UnhandledErrorReport(const UnhandledError& error, std::string_view moduleName,
                                      ReportText& report) {
  // Eight upper-case hexadecimal digits, by hand: the C library's printf would add its whole
  // formatting engine to the program for this one number.
  char address[8];
  for (int i = 0; i < 8; ++i) address[i] = "0123456789ABCDEF"[(error.address >> (28 - 4 * i)) & 15];
  const std::string_view message = error.message.View();
  report.size = 0;
  report.Append("Exception ");
  report.Append(error.className);
  report.Append(" in module ");
  report.Append(moduleName);
  report.Append(" at ");
  report.Append({address, sizeof address});
  report.Append(".\r\n");
  report.Append(message);
  if (!message.empty() && message.back() != '.') report.Append(".");
  report.Append("\r\n");
  return report.View();
}

namespace {

// Taken before the run, so that the report needs no memory: the file-name part of the
// program's path, which lives in the platform's fixed storage.
std::string_view moduleName;
ReportText report;

[[noreturn]] void Report(const UnhandledError& error) {
  try {
    FlushOutput();
  } catch (...) {
    // Standard output is what failed; the report goes to standard error regardless.
  }
  UnhandledErrorReport(error, moduleName, report);
  platform::ToConsoleCodePage(report.bytes, report.size);
  platform::WriteStandardError(report.bytes, report.size);
  platform::WriteStandardError("\r\n", 2);
  platform::EndProcess(1);
}

std::uintptr_t HandlerAddress() {
  return CallerAddress(reinterpret_cast<void*>(&RunWithLastChanceHandler));
}

// Reports the error in hand (inside a handler, or at termination with an exception).
[[noreturn]] void ReportCurrentError() {
  try {
    throw;
  } catch (const UnhandledError& error) {
    Report(error);
  } catch (const std::bad_alloc&) {
    Report(UnhandledError{"EOutOfMemory", "Out of memory", HandlerAddress()});
  } catch (const std::exception& error) {
    Report(UnhandledError{"Exception", error.what(), HandlerAddress()});
  } catch (...) {
    Report(UnhandledError{"Exception", "", HandlerAddress()});
  }
}

// The runtime terminates without an exception in hand when it cannot allocate the one being
// raised: memory is exhausted, its reserve for exceptions included (taken before the program's
// first allocation). With one in hand it left a function that must not raise.
[[noreturn]] void ReportTermination() {
  if (std::current_exception() == nullptr)
    Report(UnhandledError{"EOutOfMemory", "Out of memory", HandlerAddress()});
  ReportCurrentError();
}

}  // namespace

int RunWithLastChanceHandler(const std::function<int()>& mainSequence) {
  moduleName = FileNameTail(platform::ModulePath());
  std::set_terminate(&ReportTermination);
  try {
    return mainSequence();
  } catch (...) {
    ReportCurrentError();
  }
}
