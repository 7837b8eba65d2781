// The parts of HttpGet that do not touch a socket: the request bytes and the processing of
// the response, driven by a receive function and a clock so that they can run on any source.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "net/http_get.h"

// The bytes of the GET request for remotePath. Bytes 0-32 and 127 of the path go out as
// %XX, so that a path with blanks or CR LF inside stays one request line.
std::string RequestText(std::string_view remotePath);

// Receives up to size bytes into buffer: the count, 0 when the peer has closed, -1 on error.
using ReceiveFn = std::function<int(char* buffer, int size)>;
// The millisecond clock, wrapping modulo 2^32.
using ClockFn = std::function<std::uint32_t()>;
// A receive that never waits: as ReceiveFn, or kWouldWait when a receive would have to wait. An
// empty one cannot tell, and counts as "would wait".
using ReceiveNowFn = ReceiveFn;
inline constexpr int kWouldWait = -2;
// Waits at most ms milliseconds for something to receive: false when the time ran out and
// nothing came. An empty one never waits.
using WaitFn = std::function<bool(std::uint32_t ms)>;

// Lengths are 32-bit signed: neither the header buffer nor Content may pass this many bytes.
inline constexpr std::size_t kMaxTextLength = 2147483647;

// Reads the header block and the body from receive in blocks of 1024 bytes, with a progress line
// after every block (on a console drawn at the pace of ui/progress_pace.h; while a line is held
// the block is taken with receiveNow, and when nothing is ready waitReadable waits out the rest of
// the line's interval for one; only when none comes is the line drawn and the receive that waits
// made; the last line is always drawn); bytes past a declared length are counted but not kept. A
// response that ends before its header block does prints a "Fatal: " line and fails with empty
// Content. A declared length that bodyFits turns down ends the exchange after the header block,
// Declined, with no progress line. A buffer that would pass lengthLimit bytes raises EOutOfMemory
// (tests lower the limit).
HttpResult ReceiveResponse(const ReceiveFn& receive, const ClockFn& clock, const ReceiveNowFn& receiveNow,
                           const WaitFn& waitReadable, const BodyFitsFn& bodyFits = {},
                           std::size_t lengthLimit = kMaxTextLength);
