// The serving side of a loopback connection on Windows.
#include <winsock2.h>

#include "tests/platform/listen.h"

namespace platform {

SocketHandle ListenLoopback(int port, int& boundPort) {
  if (!StartSockets()) return kNoSocket;
  SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (s == INVALID_SOCKET) return kNoSocket;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<u_short>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  int size = sizeof address;
  if (bind(s, reinterpret_cast<const sockaddr*>(&address), size) != 0 || listen(s, 16) != 0 ||
      getsockname(s, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
    closesocket(s);
    return kNoSocket;
  }
  boundPort = ntohs(address.sin_port);
  return static_cast<SocketHandle>(s);
}

SocketHandle AcceptConnection(SocketHandle listener) {
  SOCKET s = accept(static_cast<SOCKET>(listener), nullptr, nullptr);
  return s == INVALID_SOCKET ? kNoSocket : static_cast<SocketHandle>(s);
}

void SetReceiveTimeout(SocketHandle socket, int milliseconds) {
  DWORD timeout = static_cast<DWORD>(milliseconds);
  setsockopt(static_cast<SOCKET>(socket), SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout),
             sizeof timeout);
}

void SetNoDelay(SocketHandle socket) {
  BOOL on = TRUE;
  setsockopt(static_cast<SOCKET>(socket), IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on),
             sizeof on);
}

void ResetConnection(SocketHandle socket) {
  linger option{};
  option.l_onoff = 1;
  option.l_linger = 0;
  setsockopt(static_cast<SOCKET>(socket), SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&option),
             sizeof option);
  closesocket(static_cast<SOCKET>(socket));
}

}  // namespace platform
