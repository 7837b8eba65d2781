// The scripted test server: accepts connections on 127.0.0.1 one after another, records the
// request bytes of each, and answers each by playing the same script of actions.
//
// Script format, one action per line (blank lines and lines starting with "#" are skipped):
//   send <text>      the text with C escapes \r \n \t \\ \" \0 and \xHH (two hex digits)
//   pause <ms>       sleep
//   pattern <count>  count bytes of the test pattern (PatternByte below, offsets from 0)
//   close            orderly close; the connection is done
//   reset            close with a reset (SO_LINGER 0); the connection is done
//   drip <n>         from here on, send in pieces of at most n bytes with a 1 ms pause between
//   wait             answer nothing more until the server is stopped
//   drain            read what else the client sends until it closes (10 s at most), recorded
//                    behind its request
// A script that ends without close or reset closes in order.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/sockets.h"

struct ServerAction {
  enum class Kind { Send, Pause, Pattern, Close, Reset, Drip, Wait, Drain } kind;
  std::string text;         // Send: the bytes
  std::uint64_t count = 0;  // Pause: ms; Pattern: bytes; Drip: piece size
};

// The byte at offset i of a pattern action: (i * 7 + 3) mod 251. The period 251 is prime, so
// a shifted, cut or repeated block never looks like the right one.
inline unsigned char PatternByte(std::uint64_t offset) {
  return static_cast<unsigned char>((offset % 251 * 7 + 3) % 251);
}
// The count pattern bytes from offset on.
inline std::string PatternBytes(std::uint64_t offset, std::size_t count) {
  std::string bytes(count, '\0');
  for (std::size_t i = 0; i < count; ++i) bytes[i] = static_cast<char>(PatternByte(offset + i));
  return bytes;
}

// The text with its C escapes replaced; false with a message when an escape is malformed.
bool UnescapeText(std::string_view text, std::string& bytes, std::string& error);
// Parses a script; false with a message naming the line on the first malformed one.
bool ParseScript(std::string_view script, std::vector<ServerAction>& actions, std::string& error);

struct ServerOptions {
  int connections = 1;
  std::size_t maxSend = 0;            // when not 0, every send goes out in pieces of at most this size,
                                      // the first 256 KiB of a connection paced (200 us after each)
  int requestTimeoutMs = 500;         // reading the request stops after this long without bytes
  std::atomic<bool>* stop = nullptr;  // ends a "wait" and the serving loop when set
  // Called with each connection's request bytes as soon as they are read, and again with the
  // bytes a drain action has read.
  void (*onRequest)(const std::string& request, void* context) = nullptr;
  void* context = nullptr;
};

// Serves options.connections connections on the listening socket; returns the request bytes
// of each connection in order.
std::vector<std::string> ServeScript(platform::SocketHandle listener,
                                     const std::vector<ServerAction>& actions, const ServerOptions& options);
