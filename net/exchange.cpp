// The request bytes and the processing of the response.
#include "net/exchange.h"

#include <algorithm>
#include <new>

#include "app/errors.h"
#include "app/output.h"
#include "net/headers.h"
#include "net/progress.h"
#include "request/parse_int.h"
#include "request/text.h"
#include "ui/progress_pace.h"

namespace {

constexpr int kBlockSize = 1024;
// A declared length is trusted for the first allocation of memory only up to here, so that a
// lying header cannot make us take gigabytes up front. (Nor past the length limit, which the body
// can never pass.)
constexpr std::size_t kMaxReserve = 64u * 1024 * 1024;
constexpr std::string_view kHeaderEnd = "\r\n\r\n";
// The most of a reason phrase or a Location that is shown.
constexpr std::size_t kMaxServerText = 200;

void AppendBlock(std::string& text, const char* data, int count, std::size_t limit) {
  if (static_cast<std::size_t>(count) > limit - text.size()) RaiseOutOfMemory();
  try {
    text.append(data, static_cast<std::size_t>(count));
  } catch (const std::bad_alloc&) {
    RaiseOutOfMemory();
  }
}

// Appends the part of a received block that belongs to the body. Past a declared length (declared
// > 0) nothing more is kept: a server that sends more than it declared must not make the body
// hold more memory than it declared, nor run it out of memory after the body arrived whole.
void KeepBody(ContentBuffer& content, const char* data, std::size_t count, std::size_t declared,
              std::size_t limit) {
  if (declared > 0) count = std::min(count, declared - content.size());
  if (count > limit - content.size() || !content.Append(data, count)) RaiseOutOfMemory();
}

}  // namespace

std::string RequestText(std::string_view remotePath) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string request = "GET ";
  request.reserve(remotePath.size() + 80);
  for (char c : remotePath) {
    auto byte = static_cast<unsigned char>(c);
    if (byte <= 32 || byte == 127) {
      request += '%';
      request += kHex[byte >> 4];
      request += kHex[byte & 15];
    } else {
      request += c;
    }
  }
  request += " HTTP/1.0\r\nAccept: */*\r\nUser-Agent: Pliv 1.0 compatible\r\n\r\n";
  return request;
}

HttpResult ReceiveResponse(const ReceiveFn& receive, const ClockFn& clock, const ReceiveNowFn& receiveNow,
                           const WaitFn& waitReadable, const BodyFitsFn& bodyFits, std::size_t lengthLimit) {
  HttpResult result;
  char block[kBlockSize];

  // Header phase. Only the new bytes and the three before them can complete the terminator,
  // so each search starts there and the whole buffer is never scanned again.
  std::string header;
  std::size_t headerEnd = std::string::npos;
  for (;;) {
    int n = receive(block, kBlockSize);
    if (n <= 0) break;
    std::size_t searchFrom = header.size() >= 3 ? header.size() - 3 : 0;
    AppendBlock(header, block, n, lengthLimit);
    headerEnd = header.find(kHeaderEnd, searchFrom);
    if (headerEnd != std::string::npos) break;
  }
  if (headerEnd == std::string::npos) {
    // Without the end of the headers nothing received can be told apart from a header, so
    // none of it is body.
    WriteLine("Fatal: connection closed before the end of the headers");
    return result;
  }

  std::uint32_t startTick = clock();
  const std::string_view headerText = std::string_view(header).substr(0, headerEnd);
  std::string value = GetHeaderValue("Content-Length", headerText);
  result.ContentLength = !value.empty() && IsAllDigits(value) ? ParseInt(value) : -1;
  // The reason and the Location are the server's text on its way to the terminal: printable
  // bytes only, and short.
  StatusLine status;
  if (ReadStatusLine(headerText, status)) {
    result.StatusCode = status.Code;
    result.Reason = PrintableText(status.Reason, kMaxServerText);
    if (status.Code >= 300 && status.Code <= 399)
      result.Location = PrintableText(GetHeaderValue("Location", headerText), kMaxServerText);
  }

  ContentBuffer& content = result.Content;
  std::size_t bodyStart = headerEnd + kHeaderEnd.size();
  // A body that cannot be kept is not fetched, nor memory taken for it; what came with the headers
  // (one block at most) is kept, so that the count that the caller reports is true.
  if (result.ContentLength > 0 && bodyFits && !IsErrorResponse(result) && !bodyFits(result.ContentLength)) {
    KeepBody(content, header.data() + bodyStart, header.size() - bodyStart,
             static_cast<std::size_t>(result.ContentLength), lengthLimit);
    result.Outcome = TransferOutcome::Declined;
    return result;
  }
  // Address space for the whole body where holding it costs no memory: the declared length, or
  // all the lengths allow; memory for a declared length up to kMaxReserve. Neither failing is an
  // error: the body may still fit as it grows.
  const std::size_t declared = result.ContentLength > 0 ? static_cast<std::size_t>(result.ContentLength) : 0;
  content.HoldAddressSpace(declared > 0 ? std::min(declared, lengthLimit) : lengthLimit);
  if (declared > 0) content.Reserve(std::min({declared, kMaxReserve, lengthLimit}));
  std::uint64_t received = header.size() - bodyStart;
  KeepBody(content, header.data() + bodyStart, header.size() - bodyStart, declared, lengthLimit);
  std::string().swap(header);

  // Body phase: a progress line after every receive, the last one included, so the final
  // line shows the final count. The count takes in every received byte, kept or not. A line held
  // back on a console waits for the next block only for the rest of its interval, and is drawn
  // before the program waits longer: whenever it waits, the screen shows every byte received so
  // far, at most kRedrawIntervalMs late. A slow link thus gets no more lines than a fast one.
  int n;
  char line[kProgressTextRoom];
  std::uint32_t now = startTick;  // the clock's last reading, taken after the last receive
  do {
    // Asking first whether bytes are waiting would cost a call per block; a receive that does not
    // wait answers the question and takes the block at once.
    n = kWouldWait;
    std::uint32_t drawnAt = now;
    if (ProgressHeld() && receiveNow) {
      n = receiveNow(block, kBlockSize);
      // Nothing else took time since the last reading, so it still tells the time left.
      const std::uint32_t left = n == kWouldWait && waitReadable ? HeldProgressWait(now) : 0;
      if (left > 0) {
        if (waitReadable(left))
          n = receiveNow(block, kBlockSize);
        else
          drawnAt = now + left;  // the line's interval has run out
      }
    }
    if (n == kWouldWait) {
      DrawHeldProgress(drawnAt);
      n = receive(block, kBlockSize);
    }
    if (n > 0) {
      received += n;
      KeepBody(content, block, static_cast<std::size_t>(n), declared, lengthLimit);
    }
    now = clock();
    ShowProgress(ProgressText(line, received, result.ContentLength, now - startTick), now);
  } while (n > 0);
  EndProgress();

  // Once every declared byte is in, a reset after them (a server that closes without reading
  // the request) cuts nothing. Without a declared length nothing tells a whole body from a cut one.
  if (declared > 0 && content.size() == declared)
    result.Outcome = TransferOutcome::Complete;
  else if (n < 0)
    result.Outcome = TransferOutcome::Broken;
  else
    result.Outcome = declared > 0 ? TransferOutcome::Short : TransferOutcome::Complete;
  return result;
}
