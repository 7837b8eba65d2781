// The serving side of a loopback connection on POSIX.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

#include "tests/platform/listen.h"

namespace platform {

SocketHandle ListenLoopback(int port, int& boundPort) {
  int fd = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (fd < 0) return kNoSocket;
  int on = 1;
  ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t size = sizeof address;
  if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), size) != 0 || ::listen(fd, 16) != 0 ||
      ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
    ::close(fd);
    return kNoSocket;
  }
  boundPort = ntohs(address.sin_port);
  return fd;
}

SocketHandle AcceptConnection(SocketHandle listener) {
  for (;;) {
    int fd = ::accept(static_cast<int>(listener), nullptr, nullptr);
    if (fd < 0 && errno == EINTR) continue;
    return fd < 0 ? kNoSocket : fd;
  }
}

void SetReceiveTimeout(SocketHandle socket, int milliseconds) {
  timeval timeout{};
  timeout.tv_sec = milliseconds / 1000;
  timeout.tv_usec = (milliseconds % 1000) * 1000;
  ::setsockopt(static_cast<int>(socket), SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
}

void SetNoDelay(SocketHandle socket) {
  int on = 1;
  ::setsockopt(static_cast<int>(socket), IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
}

void ResetConnection(SocketHandle socket) {
  linger option{};
  option.l_onoff = 1;
  option.l_linger = 0;
  ::setsockopt(static_cast<int>(socket), SOL_SOCKET, SO_LINGER, &option, sizeof option);
  ::close(static_cast<int>(socket));
}

}  // namespace platform
