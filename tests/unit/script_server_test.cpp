// The scripted test server's script format, and its serving of connections one after another.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "net/http_get.h"
#include "tests/program_text.h"
#include "tests/server/script_server.h"
#include "tests/unit/net_support.h"

namespace {

using namespace std::string_literals;

TEST(ScriptServer, UnescapesCEscapes) {
  struct Row {
    std::string text;
    bool ok;
    std::string bytes;
  } rows[] = {
      {"plain text", true, "plain text"},
      {"a\\r\\nb\\tc", true, "a\r\nb\tc"},
      {"\\x41\\x7f\\xFF", true, "A\x7f\xff"},
      {"\\\\ \\\"", true, "\\ \""},
      {"\\0", true, "\0"s},
      {"\\q", false, ""},
      {"\\x4", false, ""},
      {"\\xg0", false, ""},
      {"end\\", false, ""},
  };
  for (const Row& row : rows) {
    std::string bytes, error;
    EXPECT_EQ(UnescapeText(row.text, bytes, error), row.ok) << row.text;
    if (row.ok) {
      EXPECT_EQ(bytes, row.bytes) << row.text;
    }
  }
}

TEST(ScriptServer, ParsesEveryActionAndNamesTheBadLine) {
  std::vector<ServerAction> actions;
  std::string error;
  ASSERT_TRUE(
      ParseScript("# comment\r\nsend a\\r\\n\n\npause 20\npattern 5000000000\n"
                  "drip 3\nwait\nreset\ndrain\nclose",
                  actions, error))
      << error;
  using K = ServerAction::Kind;
  std::vector<K> kinds;
  for (const ServerAction& a : actions) kinds.push_back(a.kind);
  EXPECT_EQ(kinds,
            (std::vector<K>{K::Send, K::Pause, K::Pattern, K::Drip, K::Wait, K::Reset, K::Drain, K::Close}));
  EXPECT_EQ(actions[0].text, "a\r\n");
  EXPECT_EQ(actions[1].count, 20u);
  EXPECT_EQ(actions[2].count, 5000000000u);
  EXPECT_EQ(actions[3].count, 3u);

  struct Row {
    const char* script;
    const char* error;
  } bad[] = {
      {"pause", "line 1: pause needs a number"},
      {"send ok\npattern x", "line 2: pattern needs a number"},
      {"drip 0", "line 1: drip needs a number"},
      {"jump 3", "line 1: unknown action 'jump'"},
      {"close now", "line 1: close takes no argument"},
      {"send \\z", "line 1: unknown escape \\z"},
  };
  for (const Row& row : bad) {
    EXPECT_FALSE(ParseScript(row.script, actions, error)) << row.script;
    EXPECT_EQ(error, row.error);
  }
}

TEST(ScriptServer, ServesConnectionsOneAfterAnother) {
  net_test::LoopbackServer server;
  server.options.connections = 2;
  std::string error;
  ASSERT_TRUE(server.Start("send HTTP/1.0 200 OK\\r\\n\\r\\nsame", error)) << error;
  test_output::RecordedOutput output;
  HttpResult first = HttpGet("127.0.0.1", server.port, "/one");
  HttpResult second = HttpGet("127.0.0.1", server.port, "/two");
  std::vector<std::string> requests = server.Finish();
  EXPECT_EQ(first.Content, "same");
  EXPECT_EQ(second.Content, "same");
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0].substr(0, 9), "GET /one ");
  EXPECT_EQ(requests[1].substr(0, 9), "GET /two ");
}

}  // namespace
