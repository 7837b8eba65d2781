// IPv4 TCP sockets on Windows: Windows Sockets 1.1 calls.
#include <winsock2.h>

#include <cstring>

#include "platform/sockets.h"

namespace platform {

bool StartSockets() {
  WSADATA data;
  return WSAStartup(0x0101, &data) == 0;
}

SocketHandle CreateTcpSocket() {
  const protoent* entry = getprotobyname("tcp");
  int protocol = entry ? entry->p_proto : IPPROTO_TCP;
  SOCKET s = socket(AF_INET, SOCK_STREAM, protocol);
  return s == INVALID_SOCKET ? kNoSocket : static_cast<SocketHandle>(s);
}

bool ConvertAddress(const std::string& text, std::uint32_t& address) {
  unsigned long value = inet_addr(text.c_str());
  if (value == INADDR_NONE) return false;
  address = static_cast<std::uint32_t>(value);
  return true;
}

std::string LookupHostAddress(const std::string& name) {
  const hostent* entry = gethostbyname(name.c_str());
  if (!entry || entry->h_addrtype != AF_INET || !entry->h_addr_list || !entry->h_addr_list[0]) return {};
  in_addr address;
  std::memcpy(&address, entry->h_addr_list[0], sizeof address);
  const char* text = inet_ntoa(address);
  return text ? text : "";
}

bool ConnectSocket(SocketHandle socket, std::uint32_t address, std::uint16_t port) {
  sockaddr_in target{};
  target.sin_family = AF_INET;
  target.sin_port = htons(port);
  target.sin_addr.s_addr = address;
  return connect(static_cast<SOCKET>(socket), reinterpret_cast<const sockaddr*>(&target), sizeof target) == 0;
}

int SendBytes(SocketHandle socket, const char* data, int size) {
  int n = send(static_cast<SOCKET>(socket), data, size, 0);
  return n == SOCKET_ERROR ? -1 : n;
}

namespace {

// Bytes that FIONREAD found waiting on a socket and that have not been received yet: receives of
// up to that many never wait, so the count is asked for again only once they are taken. Asking
// for every block would cost a call per block (under wine about as much as the receive itself).
struct Waiting {
  SOCKET socket = INVALID_SOCKET;
  u_long bytes = 0;
};

Waiting known;

}  // namespace

int ReceiveBytes(SocketHandle socket, char* buffer, int size) {
  int n = recv(static_cast<SOCKET>(socket), buffer, size, 0);
  if (known.socket == static_cast<SOCKET>(socket))
    known.bytes = n > 0 && static_cast<u_long>(n) < known.bytes ? known.bytes - static_cast<u_long>(n) : 0;
  return n == SOCKET_ERROR ? -1 : n;
}

int ReceiveBytesNow(SocketHandle socket, char* buffer, int size) {
  // Windows has no flag for one receive that never waits, and switching the socket's mode around
  // it would cost two calls: the count of waiting bytes decides. A closed peer reads as 0 bytes
  // waiting, so the caller's next receive, which may wait, reports the close.
  const auto s = static_cast<SOCKET>(socket);
  if (known.socket != s || known.bytes == 0) {
    known = Waiting{s, 0};
    if (ioctlsocket(s, FIONREAD, &known.bytes) != 0) known.bytes = 0;
    if (known.bytes == 0) return kNothingReady;
  }
  return ReceiveBytes(socket, buffer, size);
}

bool WaitReadable(SocketHandle socket, std::uint32_t ms) {
  const auto s = static_cast<SOCKET>(socket);
  if (known.socket == s && known.bytes > 0) return true;
  fd_set readable;
  FD_ZERO(&readable);
  FD_SET(s, &readable);
  timeval limit{static_cast<long>(ms / 1000), static_cast<long>(ms % 1000 * 1000)};
  // Readable also means closed or reset; an error sends the caller to look, and a receive tells.
  return select(0, &readable, nullptr, nullptr, &limit) != 0;
}

void ShutdownSending(SocketHandle socket) {
  shutdown(static_cast<SOCKET>(socket), SD_SEND);
}

void CloseSocket(SocketHandle socket) {
  if (known.socket == static_cast<SOCKET>(socket)) known = Waiting{};
  closesocket(static_cast<SOCKET>(socket));
}

}  // namespace platform
