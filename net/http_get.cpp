// HttpGet: one HTTP/1.0 GET over one TCP connection.
#include "net/http_get.h"

#include "app/format.h"
#include "app/output.h"
#include "net/exchange.h"
#include "net/resolve.h"
#include "platform/clock.h"
#include "platform/sockets.h"
#include "ui/status.h"

HttpResult HttpGet(const std::string& host, std::int32_t port, const std::string& remotePath,
                   const BodyFitsFn& bodyFits) {
  HttpResult result;
  if (!platform::StartSockets()) {
    WriteLine("Fatal: could not create socket");
    return result;
  }
  platform::SocketHandle socket = platform::CreateTcpSocket();
  if (socket == platform::kNoSocket) {
    WriteLine("Fatal: could not create socket");
    return result;
  }

  // Only the low 16 bits of the port reach the wire; the message shows the full number.
  std::uint32_t address = 0;
  bool converted = platform::ConvertAddress(ResolveHost(host), address);
  ShowStatus("Connecting ...");
  // Text that does not convert names no server: never connect to whatever the conversion gave.
  if (!converted || !platform::ConnectSocket(socket, address, static_cast<std::uint16_t>(port))) {
    WriteLine(FormatText("Fatal: could not connect %s:%d", {host, port}));
    platform::CloseSocket(socket);
    return result;
  }

  ShowStatus("Sending headers ...");
  std::string request = RequestText(remotePath);
  platform::SendBytes(socket, request.data(), static_cast<int>(request.size()));

  ShowStatus("Getting headers ...");
  result = ReceiveResponse(
      [socket](char* buffer, int size) { return platform::ReceiveBytes(socket, buffer, size); },
      &platform::TickCount,
      [socket](char* buffer, int size) {
        int n = platform::ReceiveBytesNow(socket, buffer, size);
        return n == platform::kNothingReady ? kWouldWait : n;
      },
      [socket](std::uint32_t ms) { return platform::WaitReadable(socket, ms); }, bodyFits);

  platform::ShutdownSending(socket);
  platform::CloseSocket(socket);
  return result;
}
