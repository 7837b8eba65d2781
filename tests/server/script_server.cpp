// The scripted test server's engine.
#include "tests/server/script_server.h"

#include <chrono>
#include <thread>

#include "tests/platform/listen.h"

namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool ParseCount(std::string_view text, std::uint64_t& value) {
  if (text.empty() || text.size() > 19) return false;
  value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + static_cast<std::uint64_t>(c - '0');
  }
  return true;
}

void Sleep(std::uint64_t ms) {
  std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

bool Stopped(const ServerOptions& options) {
  return options.stop && options.stop->load();
}

// Reads the request: until its empty line, the peer's close, or a pause of the timeout.
std::string ReadRequest(platform::SocketHandle connection, int timeoutMs) {
  platform::SetReceiveTimeout(connection, timeoutMs);
  std::string request;
  char buffer[4096];
  while (request.find("\r\n\r\n") == std::string::npos) {
    int n = platform::ReceiveBytes(connection, buffer, sizeof buffer);
    if (n <= 0) break;
    request.append(buffer, static_cast<std::size_t>(n));
  }
  return request;
}

struct Sender {
  platform::SocketHandle connection;
  std::size_t piece;  // 0: as large as the data
  // With a cap on the send size, the first bytes of a connection go out with a short pause after
  // each piece, so that the pieces reach the client in separate receives rather than coalesced.
  // (Beyond these bytes pacing would only make long responses slow.)
  std::size_t pacedBytes = 0;
  bool drip = false;
  bool failed = false;

  void Send(const char* data, std::size_t size) {
    while (size > 0 && !failed) {
      std::size_t chunk = piece != 0 && size > piece ? piece : size;
      if (chunk > 1u << 30) chunk = 1u << 30;
      int n = platform::SendBytes(connection, data, static_cast<int>(chunk));
      if (n <= 0) {
        failed = true;  // the client has gone: the rest of the script has no one to talk to
        return;
      }
      data += n;
      size -= static_cast<std::size_t>(n);
      if (drip && size > 0) {
        Sleep(1);
      } else if (pacedBytes > 0) {
        pacedBytes -= static_cast<std::size_t>(n) < pacedBytes ? static_cast<std::size_t>(n) : pacedBytes;
        std::this_thread::sleep_for(std::chrono::microseconds(200));
      }
    }
  }
};

void SendPattern(Sender& sender, std::uint64_t count) {
  // A buffer of whole periods lets every chunk start at offset 0 of the period.
  static const std::string period = PatternBytes(0, 251 * 256);
  while (count > 0 && !sender.failed) {
    std::size_t chunk = count < period.size() ? static_cast<std::size_t>(count) : period.size();
    sender.Send(period.data(), chunk);
    count -= chunk;
  }
}

// Reads until the client closes or pauses for the timeout.
std::string ReadRest(platform::SocketHandle connection, int timeoutMs) {
  platform::SetReceiveTimeout(connection, timeoutMs);
  std::string rest;
  char buffer[4096];
  int n;
  while ((n = platform::ReceiveBytes(connection, buffer, sizeof buffer)) > 0)
    rest.append(buffer, static_cast<std::size_t>(n));
  return rest;
}

// Plays the script on one connection and ends the connection; a drain adds to request.
void Play(platform::SocketHandle connection, const std::vector<ServerAction>& actions,
          const ServerOptions& options, std::string& request) {
  Sender sender{connection, options.maxSend};
  if (options.maxSend != 0) sender.pacedBytes = 256 * 1024;
  for (const ServerAction& action : actions) {
    switch (action.kind) {
      case ServerAction::Kind::Send:
        sender.Send(action.text.data(), action.text.size());
        break;
      case ServerAction::Kind::Pause:
        Sleep(action.count);
        break;
      case ServerAction::Kind::Pattern:
        SendPattern(sender, action.count);
        break;
      case ServerAction::Kind::Close:
        platform::CloseSocket(connection);
        return;
      case ServerAction::Kind::Reset:
        platform::ResetConnection(connection);
        return;
      case ServerAction::Kind::Drip:
        // A drip never lifts the server-wide cap on the size of a send.
        sender.piece = static_cast<std::size_t>(action.count);
        if (options.maxSend != 0 && options.maxSend < sender.piece) sender.piece = options.maxSend;
        sender.drip = true;
        break;
      case ServerAction::Kind::Wait:
        while (!Stopped(options)) Sleep(20);
        break;
      case ServerAction::Kind::Drain: {
        std::string rest = ReadRest(connection, 10000);
        request += rest;
        if (options.onRequest) options.onRequest(rest, options.context);
        break;
      }
    }
  }
  platform::CloseSocket(connection);
}

}  // namespace

bool UnescapeText(std::string_view text, std::string& bytes, std::string& error) {
  bytes.clear();
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\') {
      bytes += text[i];
      continue;
    }
    if (++i == text.size()) {
      error = "backslash at the end";
      return false;
    }
    // The one-letter escapes and what each stands for.
    static constexpr std::string_view kEscapes = "rnt0\\\"", kBytes{"\r\n\t\0\\\"", 6};
    if (const std::size_t at = kEscapes.find(text[i]); at != std::string_view::npos) {
      bytes += kBytes[at];
    } else if (text[i] == 'x') {
      int high = i + 1 < text.size() ? HexValue(text[i + 1]) : -1;
      int low = i + 2 < text.size() ? HexValue(text[i + 2]) : -1;
      if (high < 0 || low < 0) {
        error = "\\x needs two hex digits";
        return false;
      }
      bytes += static_cast<char>(high * 16 + low);
      i += 2;
    } else {
      error = std::string("unknown escape \\") + text[i];
      return false;
    }
  }
  return true;
}

bool ParseScript(std::string_view script, std::vector<ServerAction>& actions, std::string& error) {
  actions.clear();
  int lineNumber = 0;
  while (!script.empty()) {
    std::size_t end = script.find('\n');
    std::string_view line = script.substr(0, end);
    script = end == std::string_view::npos ? std::string_view() : script.substr(end + 1);
    ++lineNumber;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty() || line[0] == '#') continue;

    std::size_t space = line.find(' ');
    std::string_view word = line.substr(0, space);
    std::string_view argument = space == std::string_view::npos ? std::string_view() : line.substr(space + 1);
    ServerAction action{ServerAction::Kind::Close, {}, 0};
    std::string problem;
    bool needsCount = false;
    if (word == "send") {
      action.kind = ServerAction::Kind::Send;
      UnescapeText(argument, action.text, problem);
    } else if (word == "pause") {
      action.kind = ServerAction::Kind::Pause;
      needsCount = true;
    } else if (word == "pattern") {
      action.kind = ServerAction::Kind::Pattern;
      needsCount = true;
    } else if (word == "drip") {
      action.kind = ServerAction::Kind::Drip;
      needsCount = true;
    } else if (word == "close" || word == "reset" || word == "wait" || word == "drain") {
      action.kind = word == "close"   ? ServerAction::Kind::Close
                    : word == "reset" ? ServerAction::Kind::Reset
                    : word == "wait"  ? ServerAction::Kind::Wait
                                      : ServerAction::Kind::Drain;
      if (!argument.empty()) problem = std::string(word) + " takes no argument";
    } else {
      problem = "unknown action '" + std::string(word) + "'";
    }
    if (needsCount && (!ParseCount(argument, action.count) ||
                       (action.kind == ServerAction::Kind::Drip && action.count == 0)))
      problem = std::string(word) + " needs a number";
    if (!problem.empty()) {
      error = "line " + std::to_string(lineNumber) + ": " + problem;
      return false;
    }
    actions.push_back(std::move(action));
  }
  return true;
}

std::vector<std::string> ServeScript(platform::SocketHandle listener,
                                     const std::vector<ServerAction>& actions, const ServerOptions& options) {
  std::vector<std::string> requests;
  for (int i = 0; i < options.connections && !Stopped(options); ++i) {
    platform::SocketHandle connection = platform::AcceptConnection(listener);
    if (connection == platform::kNoSocket) break;
    if (options.maxSend != 0) platform::SetNoDelay(connection);
    requests.push_back(ReadRequest(connection, options.requestTimeoutMs));
    if (options.onRequest) options.onRequest(requests.back(), options.context);
    Play(connection, actions, options, requests.back());
  }
  return requests;
}
