// The text helpers, the integer conversion rule and the splitting of the URL.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "app/errors.h"
#include "request/parse_int.h"
#include "request/text.h"
#include "request/url.h"
#include "tests/platform/code_page.h"

namespace {

using namespace std::string_literals;

struct IntCase {
  std::string text;
  bool converts;
  std::int32_t value;
};

const IntCase kIntCases[] = {
    {"81", true, 81},
    {"+81", true, 81},
    {"0081", true, 81},
    {"   81", true, 81},
    {"81 ", false, 0},
    {"\t81", false, 0},  // only spaces are skipped
    {"-1", true, -1},
    {"  -1", true, -1},
    {"- 1", false, 0},
    {"$51", true, 81},
    {"x51", true, 81},
    {"X51", true, 81},
    {"0x51", true, 81},
    {"0X51", true, 81},
    {"$000000051", true, 81},
    {"-$10", true, -16},
    {"+$10", true, 16},
    {"$", false, 0},
    {"x", false, 0},
    {"0x", false, 0},
    {"-$", false, 0},
    {"-", false, 0},
    {"+", false, 0},
    {"", false, 0},
    {"   ", false, 0},
    {"0", true, 0},
    {"-0", true, 0},
    {"2147483647", true, 2147483647},
    {"00000000002147483647", true, 2147483647},
    {"2147483648", false, 0},
    {"-2147483648", true, INT32_MIN},
    {"-2147483649", false, 0},
    {"4294967295", false, 0},
    {"4294967296", false, 0},  // wraps to 0 if the check came after the multiply
    {"4294967377", false, 0},  // wraps to 81
    {"21474836470", false, 0},
    {"99999999999999999999", false, 0},
    {"$FFFFFFFF", true, -1},
    {"$ffffffff", true, -1},
    {"$7FFFFFFF", true, INT32_MAX},
    {"$80000000", true, INT32_MIN},
    {"-$80000000", true, INT32_MIN},  // negation wraps around
    {"-$FFFFFFFF", true, 1},
    {"$ABCDEF12", true, -1412567278},
    {"0X1f", true, 31},
    {"$00000000000FF", true, 255},
    {"$100000000", false, 0},
    {"$123456789", false, 0},
    {"$1FFFFFFFF", false, 0},
    {"$G", false, 0},
    {"0xg", false, 0},
    {"$1 ", false, 0},
    {"$ 1", false, 0},
    {"$-1", false, 0},
    {"0x-1", false, 0},
    {"00x5", false, 0},
    {"x0x5", false, 0},
    {"$$5", false, 0},
    {"--1", false, 0},
    {"+-1", false, 0},
    {"1-", false, 0},
    {"12a", false, 0},  // hexadecimal digits need a prefix
    {"1e3", false, 0},
    {"8\x00"
     "1"s,
     false, 0},
    {"\xD9\xA3", false, 0},
};

TEST(ParseIntTest, ConversionRule) {
  for (const IntCase& c : kIntCases) {
    SCOPED_TRACE("text: '" + c.text + "'");
    std::int32_t value = 12345;
    ASSERT_EQ(TryParseInt(c.text, value), c.converts);
    if (c.converts) {
      EXPECT_EQ(value, c.value);
      EXPECT_EQ(ParseInt(c.text), c.value);
    } else {
      try {
        ParseInt(c.text);
        ADD_FAILURE() << "ParseInt did not raise";
      } catch (const UnhandledError& error) {
        EXPECT_STREQ(error.className, "EConvertError");
        EXPECT_EQ(error.message, "'" + c.text + "' is not a valid integer value");
      }
    }
  }
}

struct UrlCase {
  std::string url;
  std::string host;
  std::int32_t port;
  std::string remotePath;
  std::string localFileName;
};

const UrlCase kUrlCases[] = {
    {"http://h/d/f.zip", "h", 80, "/d/f.zip", "f.zip"},
    {"h:81/f.zip", "h", 81, "/f.zip", "f.zip"},
    {"http://h", "h", 80, "/", ""},
    {"http://h:abc/x", "h", 80, "/x", "x"},
    {"http://h/a/b.cgi?q=1/2", "h", 80, "/a/b.cgi?q=1/2", "2"},
    {"http://h/a:b", "h", 80, "/a:b", "b"},
    {"http://h:$51/f", "h", 81, "/f", "f"},
    {"x://h:0081/f", "h", 81, "/f", "f"},
    {"x://h:-1/f", "h", -1, "/f", "f"},
    // User information in both forms, with and without a port, with and without a path.
    {"http://user@h/f", "h", 80, "/f", "f"},
    {"http://user:secret@h/f", "h", 80, "/f", "f"},
    {"http://user@h:81/f", "h", 81, "/f", "f"},
    {"http://user:secret@h:81/f", "h", 81, "/f", "f"},
    {"http://user:secret@h", "h", 80, "/", ""},
    {"user:secret@h:81", "h", 81, "/", ""},
    {"http://a@b@h/f", "b@h", 80, "/f", "f"},  // only up to the first "@"
    // Without "://" the text is host and path already, whatever scheme would stand in front.
    {"h/d/f.zip", "h", 80, "/d/f.zip", "f.zip"},
    {"ftp://h/d/f.zip", "h", 80, "/d/f.zip", "f.zip"},
    {"http:/h/f", "http", 80, "/h/f", "f"},
    // Blanks around the port: trimmed with the host part only when a "/" follows.
    {"http://h:81 ", "h", 80, "/", ""},
    {"http://h:81 /f", "h", 81, "/f", "f"},
    {"http://h:  81/f", "h", 81, "/f", "f"},
    {"http://h:  81", "h", 81, "/", ""},
    {"http://h :81", "h", 81, "/", ""},
    {"http:// h", " h", 80, "/", ""},  // a host without "/" after it is not trimmed
    {"http:// h /f", "h", 80, "/f", "f"},
    {"http://h:81:82/f", "h", 80, "/f", "f"},
    {"http://h:99999/f", "h", 99999, "/f", "f"},
    {"http://h:x10/f", "h", 16, "/f", "f"},
    {"http://h:/f", "h", 80, "/f", "f"},
    {"http://", "", 80, "/", ""},
    {"", "", 80, "/", ""},
    {"http:///f", "", 80, "/f", "f"},
    // The path keeps every byte; the host keeps its case.
    {"http://Www.Example.COM/%41%20b", "Www.Example.COM", 80, "/%41%20b", "%41%20b"},
    {"http://h/a\\b c", "h", 80, "/a\\b c", "b c"},
    {"http://h/a/b.zip?x=1#top", "h", 80, "/a/b.zip?x=1#top", "b.zip?x=1#top"},
    {"http://h/d/", "h", 80, "/d/", ""},
    {"http://h//f", "h", 80, "//f", "f"},
    {"http://h/://x", "h", 80, "/://x", "x"},
    // A "://" after the first "/" belongs to the path: it never picks the host.
    {"h/get?next=http://127.0.0.1:9/o.bin", "h", 80, "/get?next=http://127.0.0.1:9/o.bin", "o.bin"},
    {"http://h/f\xE9\xC4.zip", "h", 80, "/f\xE9\xC4.zip", "f\xE9\xC4.zip"},
};

TEST(SplitUrlTest, WorkedResultsAndEdges) {
  for (const UrlCase& c : kUrlCases) {
    SCOPED_TRACE("url: '" + c.url + "'");
    // Every field is filled anew, whatever the request held before.
    DownloadRequest request{"old", 1, "/old/path", "old.bin"};
    SplitUrl(c.url, request);
    EXPECT_EQ(request.Host, c.host);
    EXPECT_EQ(request.Port, c.port);
    EXPECT_EQ(request.RemotePath, c.remotePath);
    EXPECT_EQ(request.LocalFileName, c.localFileName);
  }
}

TEST(FileNamePartTest, TextAfterLastSeparator) {
  const std::pair<std::string, std::string> cases[] = {
      {"/d/f.zip", "f.zip"},
      {"C:\\tools\\pliv.exe", "pliv.exe"},
      {"/usr/local/bin/pliv", "pliv"},
      {"c:pliv.exe", "pliv.exe"},
      {"/a\\b/c:d", "d"},
      {"pliv", "pliv"},
      {"", ""},
      {"/", ""},
      {"/a:", ""},
      {"/a\0b"s, "a\0b"s},  // a zero byte is an ordinary byte
      {"/a\xE9\xC4", "a\xE9\xC4"},
  };
  for (const auto& [path, name] : cases) {
    SCOPED_TRACE("path: '" + path + "'");
    EXPECT_EQ(FileNamePart(path), name);
  }
}

TEST(FileNamePartTest, TrailByteIsNoSeparator) {
  // In a double-byte code page (such as 932) 0x95 starts a character whose second byte may be
  // 0x5C, the code of "\"; in a single-byte one both are characters of their own.
  const std::string path = "/d/\x95\\x";
  if (test_platform::IsLeadByte("\x95")) {
    EXPECT_EQ(FileNamePart(path), "\x95\\x");
    EXPECT_EQ(FileNamePart("/d/\x95"), "\x95");  // a lead byte at the very end
  } else {
    EXPECT_EQ(FileNamePart(path), "x");
  }
}

TEST(CutTokenTest, CutsAtFirstDelimiter) {
  struct Case {
    std::string source, delimiter, token, rest;
  };
  const Case cases[] = {
      {"http://h/f", "://", "http", "h/f"},
      {"h/f", "://", "", "h/f"},  // not found: nothing changes
      {"", "/", "", ""},
      {"/abc", "/", "", "abc"},        // starts with the delimiter: it is removed
      {" a b /c ", "/", "a b", "c "},  // the token is trimmed, the rest is not
      {"\t\x01x\x1F/ y", "/", "x", " y"},
      {"Content-Length: 5\r\nServer: s\r\n", "\r\n", "Content-Length: 5", "Server: s\r\n"},
      {"a::b", ":", "a", ":b"},
      {"a:/b://c", "://", "a:/b", "c"},
      {"AbB", "b", "A", "B"},  // case-sensitive
      {"abc", "abc", "", ""},
      {"ab", "abc", "", "ab"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("source: '" + c.source + "' delimiter: '" + c.delimiter + "'");
    std::string source = c.source;
    EXPECT_EQ(CutToken(source, c.delimiter), c.token);
    EXPECT_EQ(source, c.rest);
  }
}

TEST(IsAllDigitsTest, OnlyDigitBytes) {
  const std::pair<std::string, bool> cases[] = {
      {"", true},     {"0123456789", true}, {"007", true},   {"12a", false}, {" 1", false},
      {"1 ", false},  {"-1", false},        {"+1", false},   {"/", false},   {":", false},
      {"1.5", false}, {"\xD9", false},      {"1\0"s, false},
  };
  for (const auto& [text, expected] : cases) {
    SCOPED_TRACE("text: '" + text + "'");
    EXPECT_EQ(IsAllDigits(text), expected);
  }
}

TEST(TrimBlanksTest, DropsControlBytesAndSpaces) {
  const std::pair<std::string, std::string> cases[] = {
      {"", ""},
      {"abc", "abc"},
      {"  \t\r\n", ""},
      {" \x01"
       "a b\x1F ",
       "a b"},
      {"\0a\0"s, "a"},
      {" \x7F ", "\x7F"},          // DEL is no blank
      {"\xA0x\xA0", "\xA0x\xA0"},  // nor are bytes of 128 and above
      {"\r\n a \t b \r\n", "a \t b"},
  };
  for (const auto& [text, trimmed] : cases) {
    SCOPED_TRACE("text: '" + text + "'");
    EXPECT_EQ(TrimBlanks(text), trimmed);
  }
}

}  // namespace
