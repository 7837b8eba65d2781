// Shared by the net tests: a scripted server on 127.0.0.1, and output matched with figures.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "tests/platform/listen.h"
#include "tests/server/script_server.h"

namespace net_test {

// True when text from position t on matches pattern from position p on, where every "#"
// stands for a figure with two decimals (the parts of a progress line that depend on the real
// clock), "*" for any text (the progress lines of blocks whose split depends on timing), and
// everything else is literal. (std::regex recurses per byte and overflows the stack on the
// output of a long transfer.)
inline bool MatchesWithFigures(std::string_view text, std::string_view pattern) {
  auto digit = [](char c) { return c >= '0' && c <= '9'; };
  std::size_t t = 0;
  for (std::size_t p = 0; p < pattern.size(); ++p) {
    if (pattern[p] == '*') {
      for (std::size_t from = t; from <= text.size(); ++from)
        if (MatchesWithFigures(text.substr(from), pattern.substr(p + 1))) return true;
      return false;
    }
    if (pattern[p] == '#') {
      std::size_t first = t;
      while (t < text.size() && digit(text[t])) ++t;
      if (t == first || text.size() - t < 3 || text[t] != '.' || !digit(text[t + 1]) || !digit(text[t + 2]))
        return false;
      t += 3;
    } else if (t == text.size() || text[t++] != pattern[p]) {
      return false;
    }
  }
  return t == text.size();
}

// A scripted server on a free loopback port, serving on a thread of its own.
struct LoopbackServer {
  platform::SocketHandle listener = platform::kNoSocket;
  int port = 0;
  std::vector<ServerAction> actions;
  ServerOptions options;
  std::atomic<bool> stop{false};
  std::vector<std::string> requests;
  std::thread thread;

  // Starts serving the script; on failure error says why and port stays 0.
  bool Start(const std::string& script, std::string& error, std::size_t maxSend = 0) {
    if (!ParseScript(script, actions, error)) return false;
    listener = platform::ListenLoopback(0, port);
    if (listener == platform::kNoSocket) {
      error = "cannot listen on 127.0.0.1";
      port = 0;
      return false;
    }
    options.maxSend = maxSend;
    options.stop = &stop;
    thread = std::thread([this] { requests = ServeScript(listener, actions, options); });
    return true;
  }
  // Waits for the script to end and returns the request bytes of each connection. Call it
  // once the client is done: a server still waiting for a connection that the client never
  // made (the code under test failed) gets an empty one instead of hanging the test.
  std::vector<std::string> Finish() {
    if (!thread.joinable()) return requests;
    stop = true;
    platform::SocketHandle wake = platform::CreateTcpSocket();
    std::uint32_t loopback = 0;
    if (wake != platform::kNoSocket && platform::ConvertAddress("127.0.0.1", loopback))
      platform::ConnectSocket(wake, loopback, static_cast<std::uint16_t>(port));
    if (wake != platform::kNoSocket) platform::CloseSocket(wake);
    thread.join();
    return requests;
  }
  ~LoopbackServer() {
    Finish();
    if (listener != platform::kNoSocket) platform::CloseSocket(listener);
  }
};

}  // namespace net_test
