// The processing of a response (header block, declared length, body, cut) on a byte stream
// that arrives in receives of arbitrary sizes, ending in a close or a receive error.
//
// Input: byte 0 = flags (low 4 bits: number of receive sizes; 0x40: a small length limit
// follows in byte 1; 0x80: the stream ends in a receive error), then the receive sizes (one byte
// each, used in turn), then the stream itself.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "app/errors.h"
#include "app/output.h"
#include "fuzz/fuzz_check.h"
#include "net/exchange.h"
#include "net/headers.h"
#include "net/progress.h"
#include "request/parse_int.h"
#include "request/text.h"
#include "tests/program_text.h"

namespace {

struct Stream {
  std::string_view bytes;
  std::vector<std::size_t> sizes;  // receive sizes, used in turn; empty: always as much as asked
  bool endsInError = false;
  std::string_view input;

  std::size_t at = 0;
  std::size_t calls = 0;
  bool ended = false;

  // What the receive number `call` hands over at offset `from`, asked for `asked` bytes.
  std::size_t Piece(std::size_t call, std::size_t from, std::size_t asked) const {
    std::size_t piece = sizes.empty() ? asked : std::min(asked, sizes[call % sizes.size()]);
    return std::min(piece, bytes.size() - from);
  }

  int Receive(char* buffer, int size) {
    FUZZ_CHECK(!ended, "nothing is received after the close or the error", input);
    FUZZ_CHECK(size > 0 && size <= 1024, "every receive asks for 1 to 1024 bytes", input);
    const std::size_t n = Piece(calls++, at, static_cast<std::size_t>(size));
    if (n == 0) {
      ended = true;
      return endsInError ? -1 : 0;
    }
    std::copy_n(bytes.data() + at, n, buffer);
    at += n;
    return static_cast<int>(n);
  }
};

// The bytes the header phase has taken when the block that completes the terminator (ending at
// offset end) has arrived: whole receives of 1024 bytes at most.
std::size_t HeaderBufferSize(const Stream& stream, std::size_t end) {
  std::size_t taken = 0;
  for (std::size_t call = 0; taken < end; ++call) {
    const std::size_t n = stream.Piece(call, taken, 1024);
    if (n == 0) break;
    taken += n;
  }
  return taken;
}

struct Expected {
  const char* error = nullptr;  // class of the error that must end the call, if any
  std::string message;
  TransferOutcome outcome = TransferOutcome::Failed;
  std::int32_t contentLength = -1;
  std::string content;
  std::size_t received = 0;  // every body byte received, kept or not
};

Expected Reference(const Stream& stream, std::size_t limit) {
  Expected e;
  const std::string_view s = stream.bytes;
  const std::size_t terminator = s.find("\r\n\r\n");
  const std::size_t headerEnd = terminator == std::string_view::npos ? s.size() : terminator + 4;
  if (HeaderBufferSize(stream, headerEnd) > limit) {
    e.error = "EOutOfMemory";
    e.message = "Out of memory";
    return e;
  }
  if (terminator == std::string_view::npos) return e;

  const std::string value = GetHeaderValue("Content-Length", s.substr(0, terminator));
  if (!value.empty() && IsAllDigits(value)) {
    if (!TryParseInt(value, e.contentLength)) {
      e.error = "EConvertError";
      e.message = "'" + value + "' is not a valid integer value";
      return e;
    }
  }
  const std::string_view body = s.substr(headerEnd);
  const bool declared = e.contentLength > 0;
  // Bytes past a declared length are counted, not kept: only the kept ones can run out of memory.
  e.content = std::string(declared ? body.substr(0, static_cast<std::size_t>(e.contentLength)) : body);
  if (e.content.size() > limit) {
    e.error = "EOutOfMemory";
    e.message = "Out of memory";
    return e;
  }
  e.received = body.size();
  const bool whole = declared && body.size() >= static_cast<std::size_t>(e.contentLength);
  e.outcome = whole                ? TransferOutcome::Complete
              : stream.endsInError ? TransferOutcome::Broken
              : declared           ? TransferOutcome::Short
                                   : TransferOutcome::Complete;
  return e;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input = fuzz::AsText(data, size);
  if (size == 0) return 0;
  std::size_t at = 0;
  const std::uint8_t flags = data[at++];
  // Inputs are far shorter than 64 KiB; a limit this size keeps the up-front reservation for a
  // large declared length small, which a sanitizer build would otherwise pay for on every run.
  std::size_t limit = std::size_t{64} << 10;
  if ((flags & 0x40) && at < size) limit = 16 + std::size_t{data[at++]} * 8;
  Stream stream;
  stream.endsInError = (flags & 0x80) != 0;
  stream.input = input;
  for (int i = 0; i < (flags & 15) && at < size; ++i) {
    const std::uint8_t b = data[at++];
    stream.sizes.push_back(b & 0x80 ? 1 + (b & 0x7F) * 8u : 1 + (b & 0x7Fu));
  }
  stream.bytes = input.substr(at);

  // The clock starts just before its wrap-around and moves on by 7 ms per reading.
  std::uint32_t tick = 0xFFFFFFF0u;
  std::vector<std::uint32_t> readings;
  const ClockFn clock = [&] {
    const std::uint32_t now = tick;
    tick += 7;
    readings.push_back(now);
    return now;
  };

  const test_output::RecordedOutput output;
  const Expected expected = Reference(stream, limit);
  HttpResult result;
  try {
    result = ReceiveResponse([&](char* buffer, int n) { return stream.Receive(buffer, n); }, clock, {}, {},
                             {}, limit);
  } catch (const UnhandledError& error) {
    FUZZ_CHECK(expected.error != nullptr, "only a length too large or too long a response raises", input);
    FUZZ_CHECK(std::string_view(error.className) == expected.error, "the right error is raised", input);
    FUZZ_CHECK(error.message == expected.message, "the error carries its message", input);
    return 0;
  }
  FlushOutput();
  FUZZ_CHECK(expected.error == nullptr, "a length too large or too long a response raises", input);
  FUZZ_CHECK(stream.ended, "the response is read to its close or error", input);
  FUZZ_CHECK(result.Outcome == expected.outcome, "the outcome tells failed, complete, short and broken apart",
             input);

  if (expected.outcome == TransferOutcome::Failed) {
    FUZZ_CHECK(result.Content.empty(), "no body without the end of the headers", input);
    FUZZ_CHECK(output.Text().ends_with("Fatal: connection closed before the end of the headers\r\n"),
               "headers cut short are reported", input);
    return 0;
  }
  FUZZ_CHECK(result.ContentLength == expected.contentLength, "the declared length is read", input);
  // The body is a prefix of the bytes after the header block, cut exactly to a declared length.
  FUZZ_CHECK(result.Content == expected.content, "the body is the bytes after the headers, cut to the length",
             input);
  // However much more the server sends, the body holds no memory past its declared length (or the
  // buffer's first growth step, 4 KiB).
  if (expected.contentLength > 0)
    FUZZ_CHECK(result.Content.capacity() <=
                   std::max<std::size_t>(4096, static_cast<std::size_t>(expected.contentLength)),
               "no memory is held for bytes past the declared length", input);
  // The reason and the Location are printed: printable ASCII only, 200 bytes at most, and a
  // Location only for a 3xx.
  const auto printable = [](char c) { return c >= 32 && c <= 126; };
  for (const std::string* text : {&result.Reason, &result.Location}) {
    FUZZ_CHECK(text->size() <= 200, "the server's text is cut to 200 bytes", input);
    FUZZ_CHECK(std::all_of(text->begin(), text->end(), printable), "the server's text is printable ASCII",
               input);
  }
  FUZZ_CHECK(result.StatusCode >= -1 && result.StatusCode <= 999, "a status code has three digits", input);
  FUZZ_CHECK(result.Location.empty() || result.StatusCode / 100 == 3, "only a 3xx has a Location", input);
  FUZZ_CHECK(result.StatusCode >= 0 || (result.Reason.empty() && result.Location.empty()),
             "without a status line there is no reason or Location", input);
  // The last progress line counts every body byte received, at the last clock reading.
  FUZZ_CHECK(readings.size() >= 2, "the clock is read at the start and for each progress line", input);
  char line[kProgressTextRoom];
  const std::string_view last =
      ProgressText(line, expected.received, expected.contentLength, readings.back() - readings.front());
  FUZZ_CHECK(output.Text().ends_with(last), "the last progress line shows the final count", input);
  return 0;
}
