// HttpGet: one HTTP/1.0 GET over one TCP connection, with a live progress line.
#pragma once

#include <cstdint>
#include <string>

#include "net/content_buffer.h"

enum class TransferOutcome {
  Failed,    // socket layer, socket, connect or header block failed: Content is empty
  Complete,  // every declared byte arrived (an error after them changes nothing), or, without a
             // declared length, the server closed in order
  Short,     // closed in order before a declared positive length was reached
  Broken,    // a receive error before the body was complete
};

struct HttpResult {
  ContentBuffer Content;
  TransferOutcome Outcome = TransferOutcome::Failed;
  std::int32_t ContentLength = -1;  // the declared length; -1 when none is usable
};

HttpResult HttpGet(const std::string& host, std::int32_t port, const std::string& remotePath);
