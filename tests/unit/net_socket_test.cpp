// HttpGet and ResolveHost on real sockets, against the scripted server on 127.0.0.1.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "net/http_get.h"
#include "net/resolve.h"
#include "tests/program_text.h"
#include "tests/unit/net_support.h"

namespace {

using net_test::LoopbackServer;
using net_test::MatchesWithFigures;
using test_output::RecordedOutput;

const std::string kPhases = "Connecting ...Sending headers ...Getting headers ...";

// A port where nothing listens: one that was just free and is closed again.
int ClosedPort() {
  int port = 0;
  platform::SocketHandle listener = platform::ListenLoopback(0, port);
  if (listener != platform::kNoSocket) platform::CloseSocket(listener);
  return port;
}

TEST(HttpGet, AgainstScriptedServer) {
  const TransferOutcome kFailed = TransferOutcome::Failed, kComplete = TransferOutcome::Complete,
                        kShort = TransferOutcome::Short, kBroken = TransferOutcome::Broken;
  struct Row {
    const char* name;
    std::string script;
    std::size_t maxSend;
    std::string path, requestLine;  // the path given and how the request line carries it
    std::string content;
    TransferOutcome outcome;
    std::string output;  // after the three phase messages; "#" a clock figure, "*" any text
  } rows[] = {
      {"ten of ten in one block, one progress line",
       "send HTTP/1.0 200 OK\\r\\nContent-Length: 10\\r\\n\\r\\n0123456789\nclose", 0, "/d/f.zip", "/d/f.zip",
       "0123456789", kComplete, "Downloading 10 of 10 (100.00%) Speed # Kb/s # seconds passed"},
      {"fifteen of ten is cut", "send HTTP/1.0 200 OK\\r\\nContent-Length: 10\\r\\n\\r\\n0123456789ABCDE", 0,
       "/f", "/f", "0123456789", kComplete, "Downloading 15 of 10 (150.00%) Speed # Kb/s # seconds passed"},
      {"control bytes of the path are escaped", "send HTTP/1.0 200 OK\\r\\n\\r\\nok\nclose", 0,
       "/x y\r\nHost: evil", "/x%20y%0D%0AHost:%20evil", "ok", kComplete, "Downloading 2 of UnKnown Size"},
      {"terminator split over two sends",
       "send HTTP/1.0 200 OK\\r\\nContent-Length: 3\\r\\n\\r\npause 50\nsend \\nabc", 0, "/f", "/f", "abc",
       kComplete, "Downloading 3 of 3 (100.00%) Speed # Kb/s # seconds passed"},
      {"one byte at a time", "drip 1\nsend HTTP/1.0 200 OK\\r\\nContent-Length: 5\\r\\n\\r\\nhello", 0, "/f",
       "/f", "hello", kComplete, "*Downloading 5 of 5 (100.00%) Speed # Kb/s # seconds passed"},
      {"closed inside the headers", "send HTTP/1.0 200 OK\\r\\nContent-Le\nclose", 0, "/f", "/f", "", kFailed,
       "Fatal: connection closed before the end of the headers\r\n"},
      {"reset in the body",
       "send HTTP/1.0 200 OK\\r\\nContent-Length: 100\\r\\n\\r\\n0123456789\npause 100\nreset", 0, "/f", "/f",
       "0123456789", kBroken, "*Downloading 10 of 100 (10.00%) Speed # Kb/s # seconds passed"},
      {"reset after the whole declared length",
       "send HTTP/1.0 200 OK\\r\\nContent-Length: 10\\r\\n\\r\\n0123456789\npause 100\nreset", 0, "/f", "/f",
       "0123456789", kComplete, "*Downloading 10 of 10 (100.00%) Speed # Kb/s # seconds passed"},
      {"reset without a length", "send HTTP/1.0 200 OK\\r\\n\\r\\nabc\npause 100\nreset", 0, "/", "/", "abc",
       kBroken, "*Downloading 3 of UnKnown Size"},
      {"closed short of the declared length",
       "send HTTP/1.0 200 OK\\r\\nContent-Length: 100\\r\\n\\r\\n01234", 0, "/f", "/f", "01234", kShort,
       "*Downloading 5 of 100 (5.00%) Speed # Kb/s # seconds passed"},
      {"a megabyte of pattern",
       "send HTTP/1.0 200 OK\\r\\nContent-Length: 1048576\\r\\n\\r\\n\npattern 1048576", 0, "/big", "/big",
       PatternBytes(0, 1048576), kComplete,
       "*Downloading 1048576 of 1048576 (100.00%) Speed # Kb/s # seconds passed"},
      {"pieces of at most 20 bytes",
       "send HTTP/1.0 200 OK\\r\\nContent-Length: 100000\\r\\n\\r\\n\npattern 100000", 20, "/f", "/f",
       PatternBytes(0, 100000), kComplete,
       "*Downloading 100000 of 100000 (100.00%) Speed # Kb/s # seconds passed"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    LoopbackServer server;
    std::string error;
    ASSERT_TRUE(server.Start(row.script, error, row.maxSend)) << error;
    RecordedOutput output;
    HttpResult result = HttpGet("127.0.0.1", server.port, row.path);
    std::vector<std::string> requests = server.Finish();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0], test_output::RequestFor(row.requestLine));
    EXPECT_EQ(result.Content.size(), row.content.size());
    EXPECT_TRUE(result.Content == row.content);
    EXPECT_EQ(result.Outcome, row.outcome);
    std::string text = output.Text();
    EXPECT_TRUE(MatchesWithFigures(text, kPhases + row.output)) << text.substr(0, 2000);
  }
}

TEST(HttpGet, PortUsesItsLow16BitsOnTheWire) {
  LoopbackServer server;
  std::string error;
  ASSERT_TRUE(server.Start("send HTTP/1.0 200 OK\\r\\n\\r\\nwrapped", error)) << error;
  RecordedOutput output;
  HttpResult result = HttpGet("localhost", server.port + 65536, "/");
  server.Finish();
  EXPECT_EQ(result.Content, "wrapped");
  EXPECT_EQ(result.Outcome, TransferOutcome::Complete);
}

TEST(HttpGet, ConnectFailuresShowHostTextAndFullPort) {
  const int port = ClosedPort();
  ASSERT_NE(port, 0);
  struct Row {
    std::string host;
    std::int32_t port;
  } rows[] = {
      {"127.0.0.1", port},
      {"localhost", port + 2 * 65536},  // refused at the low 16 bits, shown in full
      {"", port},                       // no host: no address to connect to
      {".......", port},                // address text that does not convert
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.host);
    RecordedOutput output;
    HttpResult result = HttpGet(row.host, row.port, "/f");
    EXPECT_EQ(output.Text(),
              "Connecting ...Fatal: could not connect " + row.host + ":" + std::to_string(row.port) + "\r\n");
    EXPECT_EQ(result.Outcome, TransferOutcome::Failed);
    EXPECT_TRUE(result.Content.empty());
  }
}

TEST(ConvertAddress, OnlyTextThatConverts) {
  struct Row {
    const char* text;
    bool converts;
    unsigned char bytes[4];
  } rows[] = {
      {"127.0.0.1", true, {127, 0, 0, 1}},
      {"1.2.3", true, {1, 2, 0, 3}},
      {"", false, {}},
      {".......", false, {}},
      {"1.2.3.4.5", false, {}},
      {"300.1.1.1", false, {}},
  };
  for (const Row& row : rows) {
    std::uint32_t address = 0;
    EXPECT_EQ(platform::ConvertAddress(row.text, address), row.converts) << row.text;
    if (row.converts) {
      EXPECT_EQ(std::memcmp(&address, row.bytes, 4), 0) << row.text;  // network byte order
    }
  }
}

TEST(ResolveHost, AddressTextPassesAndNamesAreLookedUp) {
  struct Row {
    const char* host;
    const char* address;
  } rows[] = {
      {"127.0.0.1", "127.0.0.1"},
      {"192.168.001.010", "192.168.001.010"},  // unchanged: the conversion reads it later
      {".......", "......."},
      {"", ""},
      {"localhost", "127.0.0.1"},
      {"1.2.3", "1.2.0.3"},  // too short for address text: the resolver reads the numbers
  };
  for (const Row& row : rows) EXPECT_EQ(ResolveHost(row.host), row.address) << row.host;
}

}  // namespace
