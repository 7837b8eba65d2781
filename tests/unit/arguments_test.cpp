// The command-line splitting rule and the arguments of the process.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/arguments.h"
#include "platform/exact_conversion.h"
#include "platform/process.h"
#include "tests/platform/code_page.h"

namespace {

using namespace std::string_literals;
using Arguments = std::vector<std::string>;

struct SplitCase {
  std::string line;
  Arguments arguments;
};

const SplitCase kSplitCases[] = {
    {"", {}},
    {"   ", {}},
    {"http://h/f", {"http://h/f"}},
    {" http://h/f out.bin ", {"http://h/f", "out.bin"}},
    {"a  b   c", {"a", "b", "c"}},
    // Quotes group and are dropped.
    {"\"http://h/a b\"", {"http://h/a b"}},
    {"\"http://h/f\" \"my file.bin\"", {"http://h/f", "my file.bin"}},
    // Empty quotes never count, before or after the URL.
    {"\"\" http://h/f", {"http://h/f"}},
    {"http://h/f \"\"", {"http://h/f"}},
    {"\"\" \"\" http://h/f \"\" out.bin", {"http://h/f", "out.bin"}},
    {"\"\"\"\"a", {"a"}},
    {"\"\"", {}},
    // Quoted and unquoted stretches join.
    {"\"a\"b", {"ab"}},
    {"a\"b c\"d e", {"ab cd", "e"}},
    {"\"a\"\"b\"", {"ab"}},
    {"a\"\"b", {"ab"}},
    // Backslashes are ordinary bytes: no escape character.
    {"C:\\dir\\ \"x\\\" y\"", {"C:\\dir\\", "x\\", "y"}},
    {"a\\\"b c\"", {"a\\b c"}},
    {"\\\\server\\share\\f", {"\\\\server\\share\\f"}},
    // Unterminated quote: the stretch runs to the end of the line.
    {"a \"b c", {"a", "b c"}},
    {"a \"", {"a"}},
    {"a \"\"\" b", {"a", " b"}},
    // Every byte of code 1 to 32 separates; DEL and bytes of 128 and above do not.
    {"a\tb\x01"
     "c\x1F d\r\ne",
     {"a", "b", "c", "d", "e"}},
    {"\x01\x02\x03"
     "a",
     {"a"}},
    {"a\x7F"
     "b",
     {"a\x7F"
      "b"}},
    {"\xC4\xD6 \xA0x\xA0 \xB5", {"\xC4\xD6", "\xA0x\xA0", "\xB5"}},
    {"\"\xC4 \xD6\"", {"\xC4 \xD6"}},
    // A zero byte ends the line.
    {"a\0b"s, {"a"}},
    {"a \0b"s, {"a"}},
};

TEST(SplitCommandLineTest, SplittingRule) {
  for (const SplitCase& c : kSplitCases) {
    SCOPED_TRACE("line: [" + c.line + "]");
    EXPECT_EQ(SplitCommandLine(c.line), c.arguments);
  }
}

TEST(SplitCommandLineTest, TrailByteIsNoBlankOrQuote) {
  // In a double-byte code page (such as 932) 0x95 starts a character and the byte after it
  // belongs to that character, even a blank; in a single-byte code page it separates.
  const std::string line = "\x95 b c";
  if (test_platform::IsLeadByte("\x95")) {
    EXPECT_EQ(SplitCommandLine(line), (Arguments{"\x95 b", "c"}));
    EXPECT_EQ(SplitCommandLine("\"\x95\" b\" c"), (Arguments{"\x95\" b", "c"}));
  } else {
    EXPECT_EQ(SplitCommandLine(line), (Arguments{"\x95", "b", "c"}));
    EXPECT_EQ(SplitCommandLine("\"\x95\" b\" c"), (Arguments{"\x95", "b c"}));
  }
}

TEST(SkipProgramTokenTest, SameQuotingRule) {
  const std::pair<std::string, std::string> cases[] = {
      {"pliv.exe http://h/f", " http://h/f"},
      {"\"C:\\Program Files\\pliv.exe\" http://h/f", " http://h/f"},
      {"C:\\tools\\pliv.exe\t\"a b\"", "\t\"a b\""},
      {"  pliv.exe a", " a"},
      {"pliv.exe", ""},
      {"\"C:\\Program Files\\pliv.exe", ""},
      {"", ""},
  };
  for (const auto& [line, rest] : cases) {
    SCOPED_TRACE("line: [" + line + "]");
    EXPECT_EQ(SkipProgramToken(line), rest);
  }
}

TEST(SkipProgramTokenTest, WholeCommandLine) {
  const std::string line = "\"C:\\Program Files\\pliv.exe\" \"\" http://h/f \"my file.bin\" extra";
  EXPECT_EQ(SplitCommandLine(SkipProgramToken(line)), (Arguments{"http://h/f", "my file.bin", "extra"}));
}

// The conversion that tells whether the code page changes the command line. Under a UTF-8 code page
// a failing call would refuse every command line.
TEST(ExactConversionTest, OwnCodePageAndItsFlags) {
  struct Row {
    unsigned codePage;
    unsigned long flags;
    bool askUsedDefaultChar;
  };
  // The documented values: WC_NO_BEST_FIT_CHARS 0x400, WC_ERR_INVALID_CHARS 0x80.
  const Row rows[] = {
      {1252, 0x400, true}, {1251, 0x400, true},  {932, 0x400, true},
      {936, 0x400, true},  {65001, 0x80, false}, {54936, 0x80, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE("code page " + std::to_string(row.codePage));
    const platform::ExactConversion conversion = platform::ExactConversionFor(row.codePage);
    EXPECT_EQ(conversion.codePage, row.codePage);  // never CP_ACP, 0
    EXPECT_EQ(conversion.flags, row.flags);
    EXPECT_EQ(conversion.askUsedDefaultChar, row.askUsedDefaultChar);
  }
}

TEST(ArgumentsTest, ArgvWithoutEmptyArguments) {
  if (platform::CommandLineText()) {
    GTEST_SKIP() << "arguments come from the process's command line text on this platform";
  }
  std::string texts[] = {"/elsewhere/pliv", "", "http://h/f", "", "out.bin"};
  char* argv[] = {texts[0].data(), texts[1].data(), texts[2].data(),
                  texts[3].data(), texts[4].data(), nullptr};
  LoadArguments(5, argv);
  EXPECT_EQ(ArgumentCount(), 2);
  EXPECT_EQ(ArgumentText(0), platform::ModulePath());  // never the invoked name
  EXPECT_EQ(ArgumentText(1), "http://h/f");
  EXPECT_EQ(ArgumentText(2), "out.bin");
  EXPECT_EQ(ArgumentText(3), "");
  EXPECT_EQ(ArgumentText(-1), "");

  LoadArguments(2, argv);  // only an empty argument
  EXPECT_EQ(ArgumentCount(), 0);
  EXPECT_EQ(ArgumentText(0), platform::ModulePath());
  EXPECT_EQ(ArgumentText(1), "");
}

}  // namespace
