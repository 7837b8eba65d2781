// The errors that nothing in the program handles, and the last-chance handler that reports them.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

// An error that ends the run through ReportUnhandledError.
struct UnhandledError {
  const char* className;  // EConvertError, EOutOfMemory, EInOutError
  std::string message;
  std::uintptr_t address;  // the code that raised it
};

// Each raises UnhandledError, recording the caller's code address.
[[noreturn]] void RaiseConvertError(const std::string& text);
[[noreturn]] void RaiseOutOfMemory();
[[noreturn]] void RaiseInOutError(int error);

// The two-line report (CR LF line ends) for an error raised in the module named moduleName.
std::string UnhandledErrorReport(const UnhandledError& error, const std::string& moduleName);

// Runs mainSequence; an error that leaves it is reported on standard error and ends the
// process with exit code 1. Otherwise returns mainSequence's exit code.
int RunWithLastChanceHandler(const std::function<int()>& mainSequence);
