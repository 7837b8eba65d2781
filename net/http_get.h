// HttpGet: one HTTP/1.0 GET over one TCP connection, with a live progress line.
#pragma once

#include <cstdint>
#include <string>

#include "net/content_buffer.h"

enum class TransferOutcome {
  Failed,      // socket layer, socket, connect or header block failed: Content is empty
  Incomplete,  // receive error in the body, or fewer bytes than a declared positive length
  Complete,
};

struct HttpResult {
  ContentBuffer Content;
  TransferOutcome Outcome = TransferOutcome::Failed;
  std::int32_t ContentLength = -1;  // the declared length; -1 when none is usable
  bool ReceiveError = false;        // the body phase ended with a receive error
};

HttpResult HttpGet(const std::string& host, std::int32_t port, const std::string& remotePath);
