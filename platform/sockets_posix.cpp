// IPv4 TCP sockets on POSIX: BSD sockets.
#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>

#include "platform/sockets.h"

namespace platform {

bool StartSockets() {
  return true;
}

SocketHandle CreateTcpSocket() {
  const protoent* entry = ::getprotobyname("tcp");
  int protocol = entry ? entry->p_proto : IPPROTO_TCP;
  int fd = ::socket(AF_INET, SOCK_STREAM, protocol);
  return fd < 0 ? kNoSocket : fd;
}

bool ConvertAddress(const std::string& text, std::uint32_t& address) {
  // inet_addr accepts the same forms as its Winsock namesake (a, a.b, a.b.c, octal, hex).
  in_addr_t value = ::inet_addr(text.c_str());
  if (value == INADDR_NONE) return false;
  address = value;
  return true;
}

std::string LookupHostAddress(const std::string& name) {
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;  // one entry per address, not one per socket type
  addrinfo* list = nullptr;
  if (::getaddrinfo(name.c_str(), nullptr, &hints, &list) != 0 || list == nullptr) return {};
  std::string text;
  if (list->ai_addr && list->ai_addr->sa_family == AF_INET) {
    char buffer[INET_ADDRSTRLEN];
    const auto* address = reinterpret_cast<const sockaddr_in*>(list->ai_addr);
    if (::inet_ntop(AF_INET, &address->sin_addr, buffer, sizeof buffer)) text = buffer;
  }
  ::freeaddrinfo(list);
  return text;
}

bool ConnectSocket(SocketHandle socket, std::uint32_t address, std::uint16_t port) {
  sockaddr_in target{};
  target.sin_family = AF_INET;
  target.sin_port = htons(port);
  target.sin_addr.s_addr = address;
  return ::connect(static_cast<int>(socket), reinterpret_cast<const sockaddr*>(&target), sizeof target) == 0;
}

int SendBytes(SocketHandle socket, const char* data, int size) {
  for (;;) {
    // MSG_NOSIGNAL: a peer that has gone away is an error result, not a SIGPIPE.
    ssize_t n = ::send(static_cast<int>(socket), data, static_cast<std::size_t>(size), MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    return n < 0 ? -1 : static_cast<int>(n);
  }
}

int ReceiveBytes(SocketHandle socket, char* buffer, int size) {
  for (;;) {
    ssize_t n = ::recv(static_cast<int>(socket), buffer, static_cast<std::size_t>(size), 0);
    if (n < 0 && errno == EINTR) continue;
    return n < 0 ? -1 : static_cast<int>(n);
  }
}

int ReceiveBytesNow(SocketHandle socket, char* buffer, int size) {
  for (;;) {
    ssize_t n = ::recv(static_cast<int>(socket), buffer, static_cast<std::size_t>(size), MSG_DONTWAIT);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return kNothingReady;
    return n < 0 ? -1 : static_cast<int>(n);
  }
}

bool WaitReadable(SocketHandle socket, std::uint32_t ms) {
  pollfd entry{static_cast<int>(socket), POLLIN, 0};
  // Only the time running out says that nothing came: a signal (a window resize) or an error
  // sends the caller to look, and a receive tells which.
  return ::poll(&entry, 1, ms > INT_MAX ? INT_MAX : static_cast<int>(ms)) != 0;
}

void ShutdownSending(SocketHandle socket) {
  ::shutdown(static_cast<int>(socket), SHUT_WR);
}

void CloseSocket(SocketHandle socket) {
  ::close(static_cast<int>(socket));
}

}  // namespace platform
