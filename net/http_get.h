// HttpGet: one HTTP/1.0 GET over one TCP connection, with a live progress line.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "net/content_buffer.h"

enum class TransferOutcome {
  Failed,    // socket layer, socket, connect or header block failed: Content is empty
  Complete,  // every declared byte arrived (an error after them changes nothing), or, without a
             // declared length, the server closed in order
  Short,     // closed in order before a declared positive length was reached
  Broken,    // a receive error before the body was complete
  Declined,  // the caller's question turned the declared length down: no more was read, and
             // Content holds only the body bytes that came with the header block
};

struct HttpResult {
  ContentBuffer Content;
  TransferOutcome Outcome = TransferOutcome::Failed;
  std::int32_t ContentLength = -1;  // the declared length; -1 when none is usable
  int StatusCode = -1;   // the status line's three digits; -1 when the response has no recognisable one
  std::string Reason;    // the status line's reason phrase, made printable
  std::string Location;  // a 3xx response's Location, made printable; empty when it names none
};

// True when the server's status line turned the request down or sent it elsewhere (a code
// outside 200-299): the body is then its answer, not the resource asked for.
inline bool IsErrorResponse(const HttpResult& result) {
  return result.StatusCode >= 0 && (result.StatusCode < 200 || result.StatusCode > 299);
}

// Whether a body of the declared length (> 0) can be kept: asked once the header block has come,
// before the body is read, and not for the server's error response, whose answer the user is to
// hear. An empty one says yes.
using BodyFitsFn = std::function<bool(std::int32_t length)>;

HttpResult HttpGet(const std::string& host, std::int32_t port, const std::string& remotePath,
                   const BodyFitsFn& bodyFits = {});
