// IPv4 TCP sockets: the few blocking calls of one download, with the system's error codes
// kept inside.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

// One socket handle type for both systems; kNoSocket marks a failed creation.
using SocketHandle = std::intptr_t;
inline constexpr SocketHandle kNoSocket = -1;

// Starts the socket layer (a repeated start is harmless; it is never shut down).
bool StartSockets();
// An IPv4 stream socket for the protocol named "tcp" (IPPROTO_TCP when the name is unknown).
SocketHandle CreateTcpSocket();
// Converts dotted address text to an address in network byte order; false when it does not
// convert.
bool ConvertAddress(const std::string& text, std::uint32_t& address);
// The first IPv4 address the resolver lists for the name, as dotted text; empty when none.
std::string LookupHostAddress(const std::string& name);
// Connects to the address (network byte order) and port (host byte order).
bool ConnectSocket(SocketHandle socket, std::uint32_t address, std::uint16_t port);
// One send call: the count the system accepted, or -1.
int SendBytes(SocketHandle socket, const char* data, int size);
// One receive call: the count received, 0 when the peer has closed, -1 on error.
int ReceiveBytes(SocketHandle socket, char* buffer, int size);
// What ReceiveBytesNow returns when a receive would have to wait.
inline constexpr int kNothingReady = -2;
// One receive that never waits: the count received, 0 when the peer has closed, -1 on error, or
// kNothingReady. On POSIX it costs what ReceiveBytes does; Windows asks for the count waiting first.
int ReceiveBytesNow(SocketHandle socket, char* buffer, int size);
// Waits at most ms milliseconds for the socket to have something to receive: bytes, the peer's
// close or an error; 0 ms only looks. False when the time ran out and nothing came; true also when
// the wait was cut short (a signal), so that the caller looks.
bool WaitReadable(SocketHandle socket, std::uint32_t ms);
void ShutdownSending(SocketHandle socket);
void CloseSocket(SocketHandle socket);

}  // namespace platform
