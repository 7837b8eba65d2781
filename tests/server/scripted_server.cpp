// scripted_server: the test server as a program, for the end-to-end tests, the demo and the
// benchmarks.
//
//   scripted_server --script FILE [--connections N] [--request-log FILE] [--max-send N]
//
// Listens on a free port of 127.0.0.1, prints the port on its first line, then
// serves the connections one after another (see script_server.h for the script format).
// The request log holds the request bytes of all connections, one after another, written as
// soon as each request has been read.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "tests/platform/listen.h"
#include "tests/server/script_server.h"

namespace {

int Usage(const char* problem) {
  std::fprintf(stderr, "scripted_server: %s\n", problem);
  std::fprintf(
      stderr, "usage: scripted_server --script FILE [--connections N] [--request-log FILE] [--max-send N]\n");
  return 2;
}

bool ParseNumber(const char* text, long long& value) {
  char* end = nullptr;
  value = std::strtoll(text, &end, 10);
  return *text != '\0' && *end == '\0' && value >= 0;
}

void AppendToLog(const std::string& request, void* context) {
  const auto* path = static_cast<const std::string*>(context);
  std::ofstream log(*path, std::ios::binary | std::ios::app);
  log.write(request.data(), static_cast<std::streamsize>(request.size()));
}

}  // namespace

int main(int argc, char** argv) {
  std::string scriptPath, logPath;
  ServerOptions options;
  for (int i = 1; i < argc; ++i) {
    std::string option = argv[i];
    if (i + 1 >= argc) return Usage(("missing value after " + option).c_str());
    const char* value = argv[++i];
    long long number = 0;
    if (option == "--script") {
      scriptPath = value;
    } else if (option == "--request-log") {
      logPath = value;
    } else if (option == "--connections" && ParseNumber(value, number) && number >= 1 && number <= 1000000) {
      options.connections = static_cast<int>(number);
    } else if (option == "--max-send" && ParseNumber(value, number) && number >= 1) {
      options.maxSend = static_cast<std::size_t>(number);
    } else {
      return Usage(("bad option " + option + " " + value).c_str());
    }
  }
  if (scriptPath.empty()) return Usage("--script is required");

  std::ifstream scriptFile(scriptPath, std::ios::binary);
  if (!scriptFile) return Usage(("cannot read " + scriptPath).c_str());
  std::stringstream script;
  script << scriptFile.rdbuf();
  std::vector<ServerAction> actions;
  std::string error;
  if (!ParseScript(script.str(), actions, error)) return Usage((scriptPath + ": " + error).c_str());

  int boundPort = 0;
  platform::SocketHandle listener = platform::ListenLoopback(0, boundPort);
  if (listener == platform::kNoSocket) return Usage("cannot listen on 127.0.0.1");
  if (!logPath.empty()) {
    std::ofstream(logPath, std::ios::binary | std::ios::trunc);  // a fresh log for this run
    options.onRequest = &AppendToLog;
    options.context = &logPath;
  }
  std::printf("%d\n", boundPort);
  std::fflush(stdout);

  ServeScript(listener, actions, options);
  platform::CloseSocket(listener);
  return 0;
}
