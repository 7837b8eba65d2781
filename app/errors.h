// The errors that nothing in the program handles, and the last-chance handler that reports them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>

// The report's length limit.
inline constexpr std::size_t kReportLimit = 1023;

// Text in fixed storage, cut at kReportLimit bytes: the report is made when memory may be
// exhausted, so neither it nor what it quotes may need the heap.
struct ReportText {
  char bytes[kReportLimit];
  std::size_t size = 0;

  // Appends what still fits.
  void Append(std::string_view text);
  std::string_view View() const { return {bytes, size}; }
};

bool operator==(const ReportText& text, std::string_view other);

// An error that ends the run through the last-chance handler.
struct UnhandledError {
  UnhandledError(const char* className, std::string_view message, std::uintptr_t address);

  const char* className;  // EConvertError, EOutOfMemory, EInOutError
  ReportText message;
  std::uintptr_t address;  // the code that raised it
};

// Each raises UnhandledError, recording the caller's code address.
[[noreturn]] void RaiseConvertError(std::string_view text);
[[noreturn]] void RaiseOutOfMemory();
[[noreturn]] void RaiseInOutError(int error);

// The two-line report (CR LF line ends) for an error raised in the module named moduleName,
// made in report; returns its text.
std::string_view UnhandledErrorReport(const UnhandledError& error, std::string_view moduleName,
                                      ReportText& report);

// Runs mainSequence; an error that leaves it is reported on standard error and ends the
// process with exit code 1. Otherwise returns mainSequence's exit code.
int RunWithLastChanceHandler(const std::function<int()>& mainSequence);
