// What the program writes, as the tests see it: standard output recorded in place of the real
// one, and the request it sends.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "app/output.h"
#include "platform/stdio.h"

namespace test_output {

// Each pass-on of the stream while a recorder is bound, in order.
inline std::vector<std::string> passes;
// Non-zero: every pass-on fails with this error number.
inline int failWith = 0;

inline bool Record(const char* data, std::size_t size, int& error) {
  if (failWith != 0) {
    error = failWith;
    return false;
  }
  passes.emplace_back(data, size);
  return true;
}

// Binds standard output to the record (as a file, unless told otherwise: status lines then carry no
// console control) while it lives, and back to the process's standard output afterwards.
struct RecordedOutput {
  explicit RecordedOutput(platform::StdKind kind = platform::StdKind::File) { Bind(kind); }
  ~RecordedOutput() {
    failWith = 0;
    FlushOutput();
    BindOutput({platform::StandardOutputKind(), &platform::WriteStandardOutput});
  }

  // Starts a new record, bound as kind.
  void Bind(platform::StdKind kind) {
    passes.clear();
    failWith = 0;
    BindOutput({kind, &Record});
  }
  // Everything recorded, the buffered bytes included.
  std::string Text() const {
    FlushOutput();
    std::string all;
    for (const std::string& pass : passes) all += pass;
    return all;
  }
};

// The request for a path as the program sends it, the path escaped already.
inline std::string RequestFor(std::string_view path) {
  return "GET " + std::string(path) + " HTTP/1.0\r\nAccept: */*\r\nUser-Agent: Pliv 1.0 compatible\r\n\r\n";
}

}  // namespace test_output
