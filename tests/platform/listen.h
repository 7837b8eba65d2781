// The serving side of a loopback connection, used by the test server only.
#pragma once

#include "platform/sockets.h"

namespace platform {

// A socket listening on 127.0.0.1 at port (0: any free port); boundPort receives the port.
SocketHandle ListenLoopback(int port, int& boundPort);
// Waits for the next connection; kNoSocket on failure.
SocketHandle AcceptConnection(SocketHandle listener);
// Receives on the socket fail (-1) after this many milliseconds without data.
void SetReceiveTimeout(SocketHandle socket, int milliseconds);
// Sends every piece at once instead of waiting to coalesce small ones.
void SetNoDelay(SocketHandle socket);
// Closes the connection with a reset instead of an orderly close.
void ResetConnection(SocketHandle socket);

}  // namespace platform
