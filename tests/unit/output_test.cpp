// The output stream's buffering rule and FormatText's directives.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "app/errors.h"
#include "app/format.h"
#include "app/output.h"
#include "tests/program_text.h"

namespace {

using namespace test_output;  // the recorder, its passes and failWith

TEST(Output, ConsolePassesOnEveryStatement) {
  RecordedOutput output(platform::StdKind::Console);
  WriteOut("Connecting ...");
  WriteLine("Fatal: x");
  EXPECT_EQ(passes, (std::vector<std::string>{"Connecting ...", "Fatal: x\r\n"}));
}

TEST(Output, FileAndPipeWaitFor128BytesOrAFlush) {
  for (auto kind : {platform::StdKind::File, platform::StdKind::Pipe}) {
    RecordedOutput output(kind);
    WriteOut(std::string(100, 'a'));
    EXPECT_TRUE(passes.empty());
    WriteOut(std::string(60, 'b'));  // fills the buffer at 128 bytes
    ASSERT_EQ(passes.size(), 1u);
    EXPECT_EQ(passes[0], std::string(100, 'a') + std::string(28, 'b'));
    WriteLine("");
    FlushOutput();
    ASSERT_EQ(passes.size(), 2u);
    EXPECT_EQ(passes[1], std::string(32, 'b') + "\r\n");
  }
}

TEST(Output, LongTextPassesOnInWholeBuffers) {
  RecordedOutput output(platform::StdKind::File);
  WriteOut(std::string(300, 'x'));
  ASSERT_EQ(passes.size(), 2u);
  EXPECT_EQ(passes[0].size(), 128u);
  EXPECT_EQ(passes[1].size(), 128u);
  FlushOutput();
  EXPECT_EQ(passes.back().size(), 44u);
}

TEST(Output, FailedPassOnRaisesInOutError) {
  struct Row {
    int error;
    const char* message;
  } rows[] = {{2, "File not found"},     {3, "Invalid filename"}, {4, "Too many open files"},
              {5, "File access denied"}, {28, "I/O error 28"},    {1005, "I/O error 1005"}};
  for (const Row& row : rows) {
    RecordedOutput output(platform::StdKind::Console);
    failWith = row.error;
    try {
      WriteOut("x");
      ADD_FAILURE() << "no error raised for " << row.error;
    } catch (const UnhandledError& e) {
      EXPECT_STREQ(e.className, "EInOutError");
      EXPECT_EQ(e.message, row.message);
    }
  }
}

TEST(Output, NoUsableStandardOutputRaises105OnFirstWrite) {
  RecordedOutput output(platform::StdKind::Unknown);
  try {
    WriteLine("banner");
    ADD_FAILURE() << "no error raised";
  } catch (const UnhandledError& e) {
    EXPECT_EQ(e.message, "I/O error 105");
  }
}

TEST(FormatText, Directives) {
  struct Row {
    std::string format;
    std::initializer_list<FormatArg> args;
    std::string expected;
  };
  const Row rows[] = {
      {"Downloading %s from %s on port %d", {"f.zip", "h", 80}, "Downloading f.zip from h on port 80"},
      {"Downloading %s from %s on port %d", {"", "h", -1}, "Downloading  from h on port -1"},
      {"%d|%d|%d", {0, 2147483647, -2147483647 - 1}, "0|2147483647|-2147483648"},
      {"100%% %x %", {}, "100% %x %"},
      {"%s-%d", {"only"}, "only-"},
      // An argument of the wrong kind prints nothing; %f is no directive and takes no argument.
      {"%d|%s|%f|%d", {"t", 5, 7}, "||%f|7"},
  };
  for (const Row& row : rows) EXPECT_EQ(FormatText(row.format, row.args), row.expected) << row.format;
}

TEST(FormatText, IntegersAndLongResults) {
  std::vector<std::int32_t> values = {
      0, 9, 10, 99, 100, 101, 999, 1000, 65536, -1, -10, -100, -2147483647 - 1, 2147483647};
  std::mt19937 random(7);
  for (int i = 0; i < 2000; ++i) values.push_back(static_cast<std::int32_t>(random()) >> (random() % 31));
  for (std::int32_t value : values) EXPECT_EQ(FormatText("%d", {value}), std::to_string(value));

  // Results longer than any line of the program are built whole, whichever piece crosses the length.
  for (std::size_t length : {0u, 200u, 250u, 255u, 256u, 257u, 300u, 5000u}) {
    std::string text(length, 'x');
    EXPECT_EQ(FormatText("%s|%d|%s", {text, -42, text}), text + "|-42|" + text) << length;
    EXPECT_EQ(FormatText(text + "%%%d", {7}), text + "%7") << length;
  }
}

TEST(Errors, ReportLayout) {
  struct Row {
    UnhandledError error;
    const char* expected;
  } rows[] = {
      {{"EConvertError", "'99999999999' is not a valid integer value", 0x1234ABCD},
       "Exception EConvertError in module pliv.exe at 1234ABCD.\r\n'99999999999' is not a valid integer "
       "value.\r\n"},
      {{"EOutOfMemory", "Out of memory", 0x401000},
       "Exception EOutOfMemory in module pliv.exe at 00401000.\r\n"
       "Out of memory.\r\n"},
      // Only the low 32 bits of a 64-bit address are shown.
      {{"EInOutError", "Ends.", static_cast<std::uintptr_t>(0xABCD00000010ull)},
       "Exception EInOutError in module pliv.exe at 00000010.\r\nEnds.\r\n"},
      {{"E", "", 0}, "Exception E in module pliv.exe at 00000000.\r\n\r\n"},
  };
  ReportText report;
  for (const Row& row : rows) EXPECT_EQ(UnhandledErrorReport(row.error, "pliv.exe", report), row.expected);

  EXPECT_EQ(UnhandledErrorReport({"EConvertError", std::string(5000, '7'), 0}, "pliv", report).size(), 1023u);
}

// Raises from a function of its own, whose code the report's address must point into.
[[gnu::noinline]] void RaiseHere() {
  RaiseConvertError("12x");
}

TEST(Errors, RaiseRecordsTheRaisingCode) {
  try {
    RaiseHere();
    ADD_FAILURE() << "no error raised";
  } catch (const UnhandledError& e) {
    EXPECT_STREQ(e.className, "EConvertError");
    EXPECT_EQ(e.message, "'12x' is not a valid integer value");
    // The call is among the first instructions of RaiseHere.
    const auto raiser = reinterpret_cast<std::uintptr_t>(&RaiseHere);
    EXPECT_GT(e.address, raiser);
    EXPECT_LT(e.address, raiser + 256) << "the address lies outside RaiseHere";
  }
}

// The report is cut at 1023 bytes wherever the cut falls: in the message, on the "." added behind
// it or inside the line end; a raised text too long for the error's storage comes out the same.
TEST(Errors, ReportCutAtTheLimit) {
  const std::string head = "Exception EConvertError in module pliv at 00000000.\r\n";
  const std::size_t room = 1023 - head.size();  // what the second line may take
  struct Row {
    std::size_t size;  // of the message
    char last;         // its last byte
  } rows[] = {{room - 4, 'x'}, {room - 3, 'x'}, {room - 2, 'x'}, {room - 1, 'x'},
              {room, 'x'},     {room - 3, '.'}, {room - 2, '.'}, {room - 1, '.'},
              {room, '.'},     {room + 1, '.'}, {5000, 'x'},     {5000, '.'}};
  ReportText report;
  for (const Row& row : rows) {
    const std::string message = std::string(row.size - 1, '7') + row.last;
    std::string expected = head + message + (row.last == '.' ? "" : ".") + "\r\n";
    expected.resize(std::min<std::size_t>(expected.size(), 1023));
    EXPECT_EQ(UnhandledErrorReport({"EConvertError", message, 0}, "pliv", report), expected)
        << row.size << row.last;
  }

  const std::string text(5000, '7');
  try {
    RaiseConvertError(text);
  } catch (UnhandledError& e) {
    e.address = 0;
    EXPECT_EQ(UnhandledErrorReport(e, "pliv", report), (head + "'" + text).substr(0, 1023));
  }
}

}  // namespace
