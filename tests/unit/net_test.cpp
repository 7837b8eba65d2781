// The transfer without sockets: request bytes, header lookup, progress line, and the
// processing of a response fed block by block with a fake clock.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/errors.h"
#include "app/format.h"
#include "net/exchange.h"
#include "net/headers.h"
#include "net/progress.h"
#include "net/resolve.h"
#include "tests/program_text.h"
#include "tests/unit/net_support.h"

namespace {

using namespace std::string_literals;
using test_output::RecordedOutput;

TEST(RequestText, EscapesControlBytesOnly) {
  struct Row {
    std::string path, line;
  } rows[] = {
      {"/", "/"},
      {"/d/f.zip", "/d/f.zip"},
      {"/a b", "/a%20b"},
      {"/x\r\nHost: evil", "/x%0D%0AHost:%20evil"},
      {"/\t\x1f\x7f"s + '\0', "/%09%1F%7F%00"},
      {"/%41%zz?q=1/2#f\\", "/%41%zz?q=1/2#f\\"},  // "%" and everything printable as typed
      {"/\x80\xff\x21", "/\x80\xff!"},             // bytes above 127 as typed
  };
  for (const Row& row : rows) EXPECT_EQ(RequestText(row.path), test_output::RequestFor(row.line)) << row.line;
}

TEST(IsAddressText, SevenBytesOfDigitsAndPoints) {
  struct Row {
    const char* host;
    bool address;
  } rows[] = {
      {"127.0.0.1", true},    {"192.168.001.010", true}, {"1234567", true},    {".......", true},
      {"1.2.3.4.5.6", true},  {"123456", false},         {"1.2.3", false},     {"", false},
      {"10.0.0.a", false},    {"my.host", false},        {"localhost", false}, {" 10.0.0.1", false},
      {"10.0.0.1:80", false},
  };
  for (const Row& row : rows) EXPECT_EQ(IsAddressText(row.host), row.address) << row.host;
}

TEST(GetHeaderValue, MatchesTheWholeFieldNameIgnoringCase) {
  struct Row {
    std::string header, value;
  } rows[] = {
      {"HTTP/1.0 200 OK\r\nContent-Length: 10", "10"},
      {"HTTP/1.0 200 OK\r\ncontent-length:   42  ", "42"},
      {"CONTENT-LENGTH:\t9\t\r\nServer: x", "9"},
      {"Content-Length : 8", "8"},
      {"X-Content-Length-Note: 5\r\nContent-Length: 7", "7"},
      {"Vary: Content-Length\r\nContent-Length: 7", "7"},
      {"HTTP/1.0 200 Content-Length: 3", ""},  // the status line has no field name
      {"Content-Length: 1\r\nContent-Length: 2", "1"},
      {"Content-Length: 1:2", "1:2"},
      {"Content-Length:", ""},
      {"Content-Length", ""},
      {"Content-Lengthy: 4\r\nContent-Lengt: 5", ""},
      {"\r\n  Content-Length: 3  \r\n", "3"},
      {"", ""},
  };
  for (const Row& row : rows)
    EXPECT_EQ(GetHeaderValue("Content-Length", row.header), row.value) << row.header;
  EXPECT_EQ(GetHeaderValue("server", "A: 1\r\nSERVER:  pliv test \r\nB: 2"), "pliv test");
}

TEST(ReadStatusLine, TheExactFormOnly) {
  struct Row {
    std::string header;
    bool found;
    int code;
    std::string reason;
  } rows[] = {
      {"HTTP/1.0 404 Not Found", true, 404, "Not Found"},
      {"HTTP/1.1 200 OK\r\nContent-Length: 3", true, 200, "OK"},
      {"HTTP/1.0 503", true, 503, ""},
      {"HTTP/1.0 503 ", true, 503, ""},
      {"HTTP/1.0  301  Moved  ", true, 301, "Moved"},
      {"HTTP/1.0\t404\tGone", true, 404, "Gone"},
      {"HTTP/10.11 099 x\ry", true, 99, "x\ry"},
      {"HTTP/1.0 40 Not Found", false, 0, ""},
      {"HTTP/1.0 4040 Not Found", false, 0, ""},
      {"HTTP/1.0 4o4 Not Found", false, 0, ""},
      {"HTTP/1.0 404Not Found", false, 0, ""},
      {"HTTP/1.0404 Not Found", false, 0, ""},
      {" HTTP/1.0 404 Not Found", false, 0, ""},
      {"http/1.0 404 Not Found", false, 0, ""},
      {"HTTP/1 404 Not Found", false, 0, ""},
      {"HTTP/.0 404 Not Found", false, 0, ""},
      {"HTTP/1. 404 Not Found", false, 0, ""},
      {"HTTP/1.0 \r\n404 Not Found", false, 0, ""},
      {"Content-Length: 3\r\nHTTP/1.0 404 Not Found", false, 0, ""},
      {"", false, 0, ""},
  };
  for (const Row& row : rows) {
    StatusLine status{7, "stale"};
    EXPECT_EQ(ReadStatusLine(row.header, status), row.found) << row.header;
    EXPECT_EQ(status.Code, row.code) << row.header;
    EXPECT_EQ(status.Reason, row.reason) << row.header;
  }
}

TEST(ProgressText, BothFormsByteForByte) {
  struct Row {
    std::int32_t received, length;
    std::uint32_t elapsed;
    const char* text;
  } rows[] = {
      {10, 10, 0, "Downloading 10 of 10 (100.00%) Speed 10.00 Kb/s 0.00 seconds passed"},
      {15, 10, 999, "Downloading 15 of 10 (150.00%) Speed 0.02 Kb/s 1.00 seconds passed"},
      {1, 3, 2, "Downloading 1 of 3 (33.33%) Speed 0.33 Kb/s 0.00 seconds passed"},
      {2, 3, 5, "Downloading 2 of 3 (66.67%) Speed 0.33 Kb/s 0.01 seconds passed"},
      {1024, 2048, 0, "Downloading 1024 of 2048 (50.00%) Speed 1024.00 Kb/s 0.00 seconds passed"},
      {0, 5, 0, "Downloading 0 of 5 (0.00%) Speed 0.00 Kb/s 0.00 seconds passed"},
      // Half a hundredth rounds up: in the percentage, the speed and the seconds in turn.
      {1, 20000, 0, "Downloading 1 of 20000 (0.01%) Speed 1.00 Kb/s 0.00 seconds passed"},
      {1, 1, 199, "Downloading 1 of 1 (100.00%) Speed 0.01 Kb/s 0.20 seconds passed"},
      {1, 8, 5, "Downloading 1 of 8 (12.50%) Speed 0.17 Kb/s 0.01 seconds passed"},
      {2147483647, 2147483647, 1000,
       "Downloading 2147483647 of 2147483647 (100.00%) Speed 2145338.31 Kb/s 1.00 seconds passed"},
      // The largest tick difference: + 1 must not wrap to a division by zero.
      {100, 200, 4294967295u, "Downloading 100 of 200 (50.00%) Speed 0.00 Kb/s 4294967.30 seconds passed"},
      {7, -1, 5, "Downloading 7 of UnKnown Size"},
      {0, 0, 9, "Downloading 0 of UnKnown Size"},
  };
  char line[kProgressTextRoom];
  for (const Row& row : rows) EXPECT_EQ(ProgressText(line, row.received, row.length, row.elapsed), row.text);

  SetDecimalSeparator(',');
  EXPECT_EQ(ProgressText(line, 1, 2, 1500),
            "Downloading 1 of 2 (50,00%) Speed 0,00 Kb/s 1,50 seconds passed");
  SetDecimalSeparator('.');
}

// A response fed from a list of blocks; each receive hands over at most `piece` bytes.
struct FakeSource {
  std::vector<std::string> blocks;
  bool endWithError = false;
  std::size_t piece = 1024;
  std::size_t next = 0, offset = 0;
  int calls = 0;

  int Receive(char* buffer, int size) {
    ++calls;
    if (next == blocks.size()) return endWithError ? -1 : 0;
    const std::string& block = blocks[next];
    std::size_t n = std::min({block.size() - offset, piece, static_cast<std::size_t>(size)});
    std::copy_n(block.data() + offset, n, buffer);
    offset += n;
    if (offset == block.size()) ++next, offset = 0;
    return static_cast<int>(n);
  }
};

// Every reading advances the clock by 250 ms; the first one is the start tick.
HttpResult Receive(FakeSource& source, std::uint32_t firstTick = 1000, std::size_t limit = kMaxTextLength,
                   const BodyFitsFn& bodyFits = {}) {
  std::uint32_t tick = firstTick - 250;
  return ReceiveResponse([&](char* buffer, int size) { return source.Receive(buffer, size); },
                         [&] { return tick += 250; }, {}, {}, bodyFits, limit);
}

const std::string kFatalHeaders = "Fatal: connection closed before the end of the headers\r\n";

TEST(ReceiveResponse, HeaderAndBodyCases) {
  const TransferOutcome kFailed = TransferOutcome::Failed, kComplete = TransferOutcome::Complete,
                        kShort = TransferOutcome::Short, kBroken = TransferOutcome::Broken,
                        kDeclined = TransferOutcome::Declined;
  struct Row {
    const char* name;
    std::vector<std::string> blocks;
    std::string content;
    TransferOutcome outcome;
    std::int32_t length;
    std::string output;
    bool endWithError = false;
    std::size_t piece = 1024;
    bool fits = true;  // the caller's answer when asked whether a body of the declared length fits
  } rows[] = {
      {"ten of ten in one block",
       {"HTTP/1.0 200 OK\r\nContent-Length: 10\r\n\r\n0123456789"},
       "0123456789",
       kComplete,
       10,
       "Downloading 10 of 10 (100.00%) Speed 0.04 Kb/s 0.25 seconds passed"},
      {"fifteen of ten is cut",
       {"HTTP/1.0 200 OK\r\nContent-Length: 10\r\n\r\n0123456789ABCDE"},
       "0123456789",
       kComplete,
       10,
       "Downloading 15 of 10 (150.00%) Speed 0.06 Kb/s 0.25 seconds passed"},
      {"lower-case name, blanks around 42",
       {"HTTP/1.0 200 OK\r\ncontent-length:  42  \r\n\r\n", std::string(42, 'x')},
       std::string(42, 'x'),
       kComplete,
       42,
       "Downloading 42 of 42 (100.00%) Speed 0.17 Kb/s 0.25 seconds passed"
       "Downloading 42 of 42 (100.00%) Speed 0.08 Kb/s 0.50 seconds passed"},
      {"42abc is unknown",
       {"HTTP/1.0 200 OK\r\nContent-Length: 42abc\r\n\r\nhello"},
       "hello",
       kComplete,
       -1,
       "Downloading 5 of UnKnown Size"},
      {"-1 is unknown",
       {"HTTP/1.0 200 OK\r\nContent-Length: -1\r\n\r\nhello"},
       "hello",
       kComplete,
       -1,
       "Downloading 5 of UnKnown Size"},
      {"0 is unknown and cuts nothing",
       {"HTTP/1.0 200 OK\r\nContent-Length: 0\r\n\r\nhello"},
       "hello",
       kComplete,
       0,
       "Downloading 5 of UnKnown Size"},
      {"no length: everything until close",
       {"HTTP/1.0 200 OK\r\n\r\nab", "cd"},
       "abcd",
       kComplete,
       -1,
       "Downloading 4 of UnKnown Size"
       "Downloading 4 of UnKnown Size"},
      {"leading zeros convert",
       {"Content-Length: 0000000000000000000003\r\n\r\nabcd"},
       "abc",
       kComplete,
       3,
       "Downloading 4 of 3 (133.33%) Speed 0.02 Kb/s 0.25 seconds passed"},
      {"first of two lengths wins",
       {"Content-Length: 2\r\nContent-Length: 4\r\n\r\nabcd"},
       "ab",
       kComplete,
       2,
       "Downloading 4 of 2 (200.00%) Speed 0.02 Kb/s 0.25 seconds passed"},
      {"terminator split 3+1",
       {"HTTP/1.0 200 OK\r\nContent-Length: 3\r\n\r", "\nabc"},
       "abc",
       kComplete,
       3,
       "Downloading 3 of 3 (100.00%) Speed 0.01 Kb/s 0.25 seconds passed"},
      {"terminator split 2+2",
       {"HTTP/1.0 200 OK\r\nContent-Length: 3\r\n", "\r\nabc"},
       "abc",
       kComplete,
       3,
       "Downloading 3 of 3 (100.00%) Speed 0.01 Kb/s 0.25 seconds passed"},
      {"terminator split 1+1+1+1",
       {"HTTP/1.0 200 OK\r\nContent-Length: 3\r", "\n", "\r", "\nabc"},
       "abc",
       kComplete,
       3,
       "Downloading 3 of 3 (100.00%) Speed 0.01 Kb/s 0.25 seconds passed"},
      {"header longer than a block",
       {"HTTP/1.0 200 OK\r\nX-Pad: " + std::string(3000, 'p') + "\r\nContent-Length: 2\r\n\r\nxyz"},
       "xy",
       kComplete,
       2,
       "Downloading 3 of 2 (150.00%) Speed 0.01 Kb/s 0.25 seconds passed"},
      {"a name inside another field is not the length",
       {"HTTP/1.0 200 OK\r\nX-Content-Length-Note: 5\r\nVary: Content-Length\r\nContent-Length: "
        "7\r\n\r\n123456789"},
       "1234567",
       kComplete,
       7,
       "Downloading 9 of 7 (128.57%) Speed 0.04 Kb/s 0.25 seconds passed"},
      {"the status line is not a field",
       {"HTTP/1.0 200 Content-Length: 3\r\n\r\nhello"},
       "hello",
       kComplete,
       -1,
       "Downloading 5 of UnKnown Size"},
      {"a terminator in the body stays body",
       {"HTTP/1.0 200 OK\r\n\r\nab\r\n\r\ncd"},
       "ab\r\n\r\ncd",
       kComplete,
       -1,
       "Downloading 8 of UnKnown Size"},
      {"one byte at a time",
       {"HTTP/1.0 200 OK\r\nContent-Length: 5\r\n\r\nhello"},
       "hello",
       kComplete,
       5,
       "Downloading 1 of 5 (20.00%) Speed 0.00 Kb/s 0.25 seconds passed"
       "Downloading 2 of 5 (40.00%) Speed 0.00 Kb/s 0.50 seconds passed"
       "Downloading 3 of 5 (60.00%) Speed 0.00 Kb/s 0.75 seconds passed"
       "Downloading 4 of 5 (80.00%) Speed 0.00 Kb/s 1.00 seconds passed"
       "Downloading 5 of 5 (100.00%) Speed 0.00 Kb/s 1.25 seconds passed"
       "Downloading 5 of 5 (100.00%) Speed 0.00 Kb/s 1.50 seconds passed",
       false,
       1},
      {"declared 0, empty body",
       {"HTTP/1.0 200 OK\r\nContent-Length: 0\r\n\r\n"},
       "",
       kComplete,
       0,
       "Downloading 0 of UnKnown Size"},
      // Ends before the header block does: nothing of it is body.
      {"closed inside the headers",
       {"HTTP/1.0 200 OK\r\nContent-Length: 5\r\n12345"},
       "",
       kFailed,
       -1,
       kFatalHeaders},
      {"error inside the headers",
       {"HTTP/1.0 200 OK\r\nContent-Length: 5\r\n12345"},
       "",
       kFailed,
       -1,
       kFatalHeaders,
       true},
      {"three of the four terminator bytes", {"HTTP/1.0 200 OK\r\n\r"}, "", kFailed, -1, kFatalHeaders},
      {"nothing at all", {}, "", kFailed, -1, kFatalHeaders},
      // The body phase ends early.
      {"receive error in the body",
       {"HTTP/1.0 200 OK\r\nContent-Length: 10\r\n\r\n01234"},
       "01234",
       kBroken,
       10,
       "Downloading 5 of 10 (50.00%) Speed 0.02 Kb/s 0.25 seconds passed",
       true},
      {"closed short of the declared length",
       {"HTTP/1.0 200 OK\r\nContent-Length: 10\r\n\r\n01234"},
       "01234",
       kShort,
       10,
       "Downloading 5 of 10 (50.00%) Speed 0.02 Kb/s 0.25 seconds passed"},
      {"declared but nothing came",
       {"HTTP/1.0 200 OK\r\nContent-Length: 5\r\n\r\n"},
       "",
       kShort,
       5,
       "Downloading 0 of 5 (0.00%) Speed 0.00 Kb/s 0.25 seconds passed"},
      // A reset once every declared byte is in cuts nothing.
      {"receive error after the whole declared length",
       {"HTTP/1.0 200 OK\r\nContent-Length: 10\r\n\r\n0123456789"},
       "0123456789",
       kComplete,
       10,
       "Downloading 10 of 10 (100.00%) Speed 0.04 Kb/s 0.25 seconds passed",
       true},
      {"receive error after more than the declared length",
       {"HTTP/1.0 200 OK\r\nContent-Length: 10\r\n\r\n01234", "56789ABC"},
       "0123456789",
       kComplete,
       10,
       "Downloading 13 of 10 (130.00%) Speed 0.05 Kb/s 0.25 seconds passed"
       "Downloading 13 of 10 (130.00%) Speed 0.03 Kb/s 0.50 seconds passed",
       true},
      {"receive error one byte short of the declared length",
       {"HTTP/1.0 200 OK\r\nContent-Length: 10\r\n\r\n012345678"},
       "012345678",
       kBroken,
       10,
       "Downloading 9 of 10 (90.00%) Speed 0.04 Kb/s 0.25 seconds passed",
       true},
      {"receive error, declared 0",
       {"HTTP/1.0 200 OK\r\nContent-Length: 0\r\n\r\nab"},
       "ab",
       kBroken,
       0,
       "Downloading 2 of UnKnown Size",
       true},
      {"receive error, unknown length",
       {"HTTP/1.0 200 OK\r\n\r\nab"},
       "ab",
       kBroken,
       -1,
       "Downloading 2 of UnKnown Size",
       true},
      // A declared body that the caller cannot keep is not read: what came with the headers is all.
      {"a declared length that does not fit ends the exchange after the headers",
       {"HTTP/1.0 200 OK\r\nContent-Length: 10\r\n\r\n012", "3456789"},
       "012",
       kDeclined,
       10,
       "",
       false,
       1024,
       false},
      {"without a length nothing is judged",
       {"HTTP/1.0 200 OK\r\n\r\n012", "3456789"},
       "0123456789",
       kComplete,
       -1,
       "Downloading 10 of UnKnown Size"
       "Downloading 10 of UnKnown Size",
       false,
       1024,
       false},
      {"the server's error answer is read, whatever its length",
       {"HTTP/1.0 404 Not Found\r\nContent-Length: 3\r\n\r\nnot"},
       "not",
       kComplete,
       3,
       "Downloading 3 of 3 (100.00%) Speed 0.01 Kb/s 0.25 seconds passed",
       false,
       1024,
       false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    RecordedOutput output;
    FakeSource source{row.blocks, row.endWithError, row.piece};
    std::vector<std::int32_t> asked;
    HttpResult result = Receive(source, 1000, kMaxTextLength, [&](std::int32_t length) {
      asked.push_back(length);
      return row.fits;
    });
    EXPECT_EQ(result.Content, row.content);
    EXPECT_EQ(result.Outcome, row.outcome);
    EXPECT_EQ(result.ContentLength, row.length);
    EXPECT_EQ(output.Text(), row.output);
    // Asked once for a declared length, before the body; a declined body is not received at all.
    EXPECT_EQ(asked, row.length > 0 && !IsErrorResponse(result) ? std::vector{row.length}
                                                                : std::vector<std::int32_t>{});
    if (row.outcome == kDeclined)
      EXPECT_EQ(source.calls, 1) << "received after declining";
    else
      EXPECT_EQ(source.next, row.blocks.size()) << "stopped receiving before the end";
  }
}

// The pace of the progress lines: each body receive of 100 bytes (the last one closes) reads the
// clock once, at the time of its row; ready: whether a receive that must not wait finds bytes;
// comes: whether they come while the held line waits out the rest of its 50 ms.
TEST(ReceiveResponse, ConsoleDrawsAtMostEvery50MsAndBeforeEveryWait) {
  const platform::StdKind console = platform::StdKind::Console, file = platform::StdKind::File;
  struct Row {
    const char* name;
    platform::StdKind kind;
    std::vector<std::uint32_t> times;
    bool ready, comes;
    std::vector<int> drawn;  // the counts of the lines drawn
    int asked;               // receives that must not wait: only while a line is held
    std::vector<std::uint32_t> waits;
  } rows[] = {
      {"data keeps coming: held until 50 ms have passed, the final line drawn",
       console,
       {0, 10, 20, 49, 50, 60, 70},
       true,
       false,
       {100, 500, 600},
       4,
       {}},
      {"nothing ready, 20 ms after the last draw: held while data comes within the remaining 30 ms",
       console,
       {0, 20, 40, 49, 50, 60, 70},
       false,
       true,
       {100, 500, 600},
       8,
       {30, 10, 1, 40}},
      // Then the next 50 ms count from the drawing, not from the block that the line shows.
      {"nothing comes within the remaining 30 ms: drawn, then the receive that waits",
       console,
       {0, 20, 75, 110},
       false,
       false,
       {100, 200, 300, 300},
       2,
       {30, 25}},
      {"the clock wraps", console, {4294967290u, 4294967295u, 44u, 45u}, true, false, {100, 300, 300}, 1, {}},
      {"the clock wraps during a wait",
       console,
       {4294967290u, 4294967295u, 60u, 100u},
       false,
       false,
       {100, 200, 300, 300},
       2,
       {45, 34}},
      // GetTickCount may step by some 16 ms: a reading before the end of the wait is no time passed.
      {"a coarse clock reads earlier than the end of the wait",
       console,
       {0, 20, 45, 100},
       false,
       false,
       {100, 200, 300, 300},
       2,
       {30, 50}},
      {"redirected: every line", file, {0, 1, 2, 3}, true, false, {100, 200, 300, 300}, 0, {}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    RecordedOutput output(row.kind);
    std::size_t receives = 0, readings = 0;
    int asked = 0;
    bool came = false;
    std::vector<std::uint32_t> waits;
    ReceiveFn receive = [&](char* buffer, int) {
      if (receives++ == 0) return static_cast<int>("X: y\r\n\r\n"s.copy(buffer, 8));
      if (receives == row.times.size() + 1) return 0;
      std::fill_n(buffer, 100, 'b');
      return 100;
    };
    ReceiveResponse(
        receive, [&] { return readings++ == 0 ? row.times.front() : row.times[readings - 2]; },
        [&](char* buffer, int size) {
          ++asked;
          if (!row.ready && !came) return kWouldWait;
          came = false;
          return receive(buffer, size);
        },
        [&](std::uint32_t ms) {
          waits.push_back(ms);
          return came = row.comes;
        });
    FlushOutput();
    std::string expected;
    for (int count : row.drawn) expected += FormatText("Downloading %d of UnKnown Size", {count});
    EXPECT_EQ(output.Text(), expected);
    EXPECT_EQ(asked, row.asked);
    EXPECT_EQ(waits, row.waits);
  }

  // Text of anyone else's draws a held line first: an error report finds the screen up to date.
  // On a console every statement is passed on at once.
  RecordedOutput output(platform::StdKind::Console);
  FakeSource source{{"A: b\r\n\r\n", std::string(30, 'b'), std::string(30, 'b'), std::string(5, 'b')}};
  std::uint32_t tick = 0;
  EXPECT_THROW(
      ReceiveResponse([&](char* buffer, int size) { return source.Receive(buffer, size); },
                      [&] { return tick++; },
                      [&](char* buffer, int size) { return source.Receive(buffer, size); }, {}, {}, 64),
      UnhandledError);
  WriteLine("Fatal");
  EXPECT_EQ(test_output::passes, (std::vector<std::string>{"Downloading 30 of UnKnown Size",
                                                           "Downloading 60 of UnKnown Size", "Fatal\r\n"}));
}

// The answer is the file for a 2xx status code, or without a status line (error false).
TEST(ReceiveResponse, StatusReasonAndLocation) {
  const std::string longText(300, 'r');
  struct Row {
    std::string header;
    int code;
    std::string reason, location;
    bool error = true;
  } rows[] = {
      {"HTTP/1.1 200 OK\r\nLocation: /x", 200, "OK", "", false},
      {"HTTP/1.0 404 Not Found\r\nLocation: /x", 404, "Not Found", ""},
      {"HTTP/1.1 301 Moved Permanently\r\nX-Location: /no\r\nlocation:  http://h/f.zip ", 301,
       "Moved Permanently", "http://h/f.zip"},
      {"HTTP/1.0 302 Found", 302, "Found", ""},
      {"HTTP/1.0 404 Not\x1b[2J\x07"
       "Found\xff",
       404, "Not?[2J?Found?", ""},
      {"HTTP/1.0 307 " + longText + "\r\nLocation: " + longText, 307, longText.substr(0, 200),
       longText.substr(0, 200)},
      {"Server: no status line\r\nLocation: /x", -1, "", "", false},
      {"HTTP/1.1 100 Continue", 100, "Continue", ""},
      {"HTTP/1.1 199 Last", 199, "Last", ""},
      {"HTTP/1.1 299 Last", 299, "Last", "", false},
      {"HTTP/1.1 300 Multiple Choices", 300, "Multiple Choices", ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.header);
    RecordedOutput output;
    FakeSource source{{row.header + "\r\n\r\nbody"}};
    HttpResult result = Receive(source);
    EXPECT_EQ(result.StatusCode, row.code);
    EXPECT_EQ(result.Reason, row.reason);
    EXPECT_EQ(result.Location, row.location);
    EXPECT_EQ(result.Content, "body");
    EXPECT_EQ(IsErrorResponse(result), row.error);
  }
}

TEST(ReceiveResponse, ElapsedTimeWrapsWithTheTickCount) {
  RecordedOutput output;
  FakeSource source{{"HTTP/1.0 200 OK\r\nContent-Length: 10\r\n\r\n0123456789"}};
  Receive(source, 0xFFFFFFF0u);  // the next reading is past 2^32
  EXPECT_EQ(output.Text(), "Downloading 10 of 10 (100.00%) Speed 0.04 Kb/s 0.25 seconds passed");
}

TEST(ReceiveResponse, LengthBeyond32BitsIsAConvertError) {
  RecordedOutput output;
  FakeSource source{{"HTTP/1.0 200 OK\r\nContent-Length: 2147483648\r\n\r\nabc"}};
  try {
    Receive(source);
    FAIL() << "no error raised";
  } catch (const UnhandledError& error) {
    EXPECT_STREQ(error.className, "EConvertError");
    EXPECT_EQ(error.message, "'2147483648' is not a valid integer value");
  }
}

TEST(ReceiveResponse, LyingLengthDoesNotReserveItAll) {
  RecordedOutput output;
  FakeSource source{{"HTTP/1.0 200 OK\r\nContent-Length: 2147483647\r\n\r\nabc"}};
  HttpResult result = Receive(source);
  EXPECT_EQ(result.Content, "abc");
  EXPECT_EQ(result.Outcome, TransferOutcome::Short);
  EXPECT_LE(result.Content.capacity(), 64u * 1024 * 1024 + 1024);
}

TEST(ReceiveResponse, BytesPastTheDeclaredLengthAreCountedNotKept) {
  RecordedOutput output;
  const std::string head = "HTTP/1.0 200 OK\r\nContent-Length: 1000\r\n\r\n";
  constexpr std::uint64_t kSent = 64u << 20;  // a body in blocks of 1024 bytes
  std::uint64_t sent = 0;
  bool headSent = false;
  HttpResult result = ReceiveResponse(
      [&](char* buffer, int size) {
        if (!headSent) {
          headSent = true;
          return static_cast<int>(head.copy(buffer, head.size()));
        }
        if (sent == kSent) return 0;
        std::fill_n(buffer, size, 'b');
        sent += static_cast<std::uint64_t>(size);
        return size;
      },
      [] { return 0u; }, {}, {});
  EXPECT_EQ(result.Content, std::string(1000, 'b'));
  EXPECT_EQ(result.Outcome, TransferOutcome::Complete);
  // The memory held is one growth step of the buffer at most (Windows commits 1 MiB at a time),
  // not the 64 MiB sent.
  EXPECT_LE(result.Content.capacity(), 1u << 20);
  const std::string text = output.Text();
  EXPECT_TRUE(
      text.ends_with("Downloading 67108864 of 1000 (6710886.40%) Speed 67108864.00 Kb/s 0.00 seconds passed"))
      << text.substr(text.size() - 120);
}

TEST(ReceiveResponse, BuffersPastTheLengthLimitAreOutOfMemory) {
  struct Row {
    const char* name;
    std::vector<std::string> blocks;
    bool raises;
  } rows[] = {
      {"header of exactly the limit", {std::string(60, 'h') + "\r\n\r\n"}, false},
      {"header one past the limit", {std::string(61, 'h'), "\r\n\r\n"}, true},
      {"body of exactly the limit", {"A: b\r\n\r\n", std::string(64, 'b')}, false},
      {"body one past the limit", {"A: b\r\n\r\n", std::string(64, 'b'), "b"}, true},
      // Bytes past a declared length are counted, not kept.
      {"far past a declared length within the limit",
       {"Content-Length: 64\r\n\r\n", std::string(64, 'b'), std::string(1000, 'b')},
       false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    RecordedOutput output;
    FakeSource source{row.blocks};
    try {
      Receive(source, 1000, 64);
      EXPECT_FALSE(row.raises);
    } catch (const UnhandledError& error) {
      EXPECT_TRUE(row.raises);
      EXPECT_STREQ(error.className, "EOutOfMemory");
    }
  }
}

}  // namespace
