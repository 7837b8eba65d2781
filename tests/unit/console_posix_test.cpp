// The terminal's byte stream: the VT sequences of the console operations, and what the console
// control, the banner and the status line send to a terminal (and to a file) in which order.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "app/output.h"
#include "crt32/crt32.h"
#include "platform/console_vt.h"
#include "tests/program_text.h"
#include "ui/banner.h"
#include "ui/status.h"

namespace {

using platform::vt::kCursorRow;
using platform::vt::Terminal;

// Everything that reaches standard output, one entry per write call, text and sequences alike.
std::vector<std::string>& writes = test_output::passes;

class TerminalStream : public ::testing::Test {
 protected:
  void Attach(bool isTerminal) {
    terminal.isTerminal = isTerminal;
    output.Bind(isTerminal ? platform::StdKind::Console : platform::StdKind::File);
    platform::vt::BindTerminal(&terminal);
  }
  void SetUp() override { Attach(true); }
  void TearDown() override { platform::vt::BindTerminal(nullptr); }

  test_output::RecordedOutput output;
  Terminal terminal{true, 80, platform::vt::kUserColours, [](std::string_view b) { writes.emplace_back(b); }};
};

TEST(VtAttribute, ColoursMapFromTheWindowsPalette) {
  struct Row {
    std::uint16_t attribute;
    const char* sequence;
  };
  // Every foreground on a blue background; Windows has blue in bit 0, ANSI in bit 2.
  const Row rows[] = {
      {0x10, "\x1b[0;30;44m"},
      {0x11, "\x1b[0;34;44m"},
      {0x12, "\x1b[0;32;44m"},
      {0x13, "\x1b[0;36;44m"},
      {0x14, "\x1b[0;31;44m"},
      {0x15, "\x1b[0;35;44m"},
      {0x16, "\x1b[0;33;44m"},
      {0x17, "\x1b[0;37;44m"},
      {0x18, "\x1b[0;90;44m"},
      {0x19, "\x1b[0;94;44m"},
      {0x1A, "\x1b[0;92;44m"},
      {0x1B, "\x1b[0;96;44m"},
      {0x1C, "\x1b[0;91;44m"},
      {0x1D, "\x1b[0;95;44m"},
      {0x1E, "\x1b[0;93;44m"},
      {0x1F, "\x1b[0;97;44m"},
      // Backgrounds: 0 is the terminal's own, intense ones are 100-107.
      {0x0A, "\x1b[0;92;49m"},
      {0x00, "\x1b[0;30;49m"},
      {0x47, "\x1b[0;37;41m"},
      {0x70, "\x1b[0;30;47m"},
      {0x80, "\x1b[0;30;100m"},
      {0xE1, "\x1b[0;34;103m"},
      {0xCF, "\x1b[0;97;101m"},
      {0xF0, "\x1b[0;30;107m"},
      // The user's colours, whatever the bits above the low byte say.
      {0x07, "\x1b[0m"},
      {0x8007, "\x1b[0m"},
      {0x801A, "\x1b[0;92;44m"},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(platform::vt::AttributeSequence(row.attribute), row.sequence) << std::hex << row.attribute;
  }
}

TEST_F(TerminalStream, CursorAndBlankingSequences) {
  struct Row {
    const char* name;
    bool dumb;  // TERM=dumb: no escape sequence, CR and blanks only
    void (*operation)(Terminal&);
    const char* bytes;
  };
  const Row rows[] = {
      {"column 1 of the cursor's row", false,
       [](Terminal& t) { platform::vt::SetCursorPosition(t, 0, kCursorRow); }, "\r"},
      {"further in on the cursor's row", false,
       [](Terminal& t) { platform::vt::SetCursorPosition(t, 12, kCursorRow); }, "\r\x1b[12C"},
      {"rows above the cursor's", false,
       [](Terminal& t) { platform::vt::SetCursorPosition(t, 0, kCursorRow - 2); }, "\r\x1b[2A"},
      {"a row above, further in", false,
       [](Terminal& t) { platform::vt::SetCursorPosition(t, 5, kCursorRow - 1); }, "\r\x1b[1A\x1b[5C"},
      {"a row of the screen", false, [](Terminal& t) { platform::vt::SetCursorPosition(t, 2, 4); },
       "\x1b[5;3H"},
      {"outside the screen", false, [](Terminal& t) { platform::vt::SetCursorPosition(t, -1, 4); }, nullptr},
      {"rest of the cursor's row", false, [](Terminal& t) { platform::vt::FillBlanks(t, 80, 0, kCursorRow); },
       "\x1b[K"},
      // Past the row's end: the rows of a long status, and the end of the screen with them.
      {"beyond the row's end", false, [](Terminal& t) { platform::vt::FillBlanks(t, 200, 30, kCursorRow); },
       "\x1b[J"},
      {"part of the cursor's row", false, [](Terminal& t) { platform::vt::FillBlanks(t, 10, 0, kCursorRow); },
       "\x1b[10X"},
      {"another row, cursor kept", false, [](Terminal& t) { platform::vt::FillBlanks(t, 70, 10, 3); },
       "\x1b"
       "7\x1b[4;11H\x1b[K\x1b"
       "8"},
      {"no cells", false, [](Terminal& t) { platform::vt::FillBlanks(t, 0, 0, kCursorRow); }, nullptr},
      // Cells cannot be recoloured without rewriting them; the blanks carry the colour.
      {"attribute fill", false, [](Terminal& t) { platform::vt::FillAttribute(t, 0x1F, 80, 0, kCursorRow); },
       nullptr},
      // A dumb terminal: CR, and blanks written over the row, short of its last cell.
      {"dumb: column 1 of the cursor's row", true,
       [](Terminal& t) { platform::vt::SetCursorPosition(t, 0, kCursorRow); }, "\r"},
      {"dumb: further in cannot be reached", true,
       [](Terminal& t) { platform::vt::SetCursorPosition(t, 12, kCursorRow); }, nullptr},
      {"dumb: a row above cannot be reached", true,
       [](Terminal& t) { platform::vt::SetCursorPosition(t, 0, kCursorRow - 1); }, nullptr},
      {"dumb: another row cannot be reached", true,
       [](Terminal& t) { platform::vt::SetCursorPosition(t, 2, 4); }, nullptr},
      {"dumb: rest of the cursor's row", true,
       [](Terminal& t) { platform::vt::FillBlanks(t, 80, 0, kCursorRow); },
       "                                                                               \r"},
      {"dumb: part of the cursor's row", true,
       [](Terminal& t) { platform::vt::FillBlanks(t, 10, 0, kCursorRow); }, "          \r"},
      {"dumb: from further in", true, [](Terminal& t) { platform::vt::FillBlanks(t, 10, 5, kCursorRow); },
       nullptr},
      {"dumb: another row", true, [](Terminal& t) { platform::vt::FillBlanks(t, 70, 10, 3); }, nullptr},
      {"dumb: no colours", true, [](Terminal& t) { platform::vt::SetConsoleAttribute(t, 0x1A); }, nullptr},
  };
  for (const Row& row : rows) {
    writes.clear();
    terminal.dumb = row.dumb;
    row.operation(terminal);
    if (row.bytes == nullptr) {
      EXPECT_TRUE(writes.empty()) << row.name;
    } else {
      EXPECT_EQ(writes, std::vector<std::string>{row.bytes}) << row.name;
    }
  }
}

TEST_F(TerminalStream, ScreenBufferInfoReportsTheCursorRowAndTheWordSet) {
  terminal.width = 132;
  platform::ScreenBufferInfo info;
  ASSERT_TRUE(platform::GetScreenBufferInfo(info));
  EXPECT_EQ(info.width, 132);
  EXPECT_EQ(info.cursorRow, kCursorRow);
  EXPECT_EQ(info.attribute, platform::vt::kUserColours);
  // MoveCursor(1, CursorRow()) is column 1 of the row the cursor is on.
  MoveCursor(1, CursorRow());
  EXPECT_EQ(writes, std::vector<std::string>{"\r"});
}

TEST_F(TerminalStream, SetTextColorKeepsTheBackgroundAndRestoresTheSavedWord) {
  struct Row {
    std::uint16_t start;
    std::uint8_t colour;
    std::uint16_t expected;
    const char* sequence;
  };
  const Row rows[] = {
      {platform::vt::kUserColours, 10, 0x0A, "\x1b[0;92;49m"},
      {0x1F, 10, 0x1A, "\x1b[0;92;44m"},      // white on blue: light green on blue
      {0x8C4F, 0x0A, 0x4A, "\x1b[0;92;41m"},  // bits 8-15 and the old foreground dropped
      {0x1F, 0x2E, 0x3E, "\x1b[0;93;46m"},    // the whole colour byte is ORed in
  };
  for (const Row& row : rows) {
    terminal.attribute = row.start;
    writes.clear();
    SetTextColor(row.colour);
    EXPECT_EQ(GetTextAttribute(), row.expected);
    EXPECT_EQ(writes, std::vector<std::string>{row.sequence});
  }
  // The low byte of a saved word brings its colours back.
  SetTextAttribute(0x1F);
  std::uint16_t saved = GetTextAttribute();
  SetTextColor(10);
  SetTextColor(static_cast<std::uint8_t>(saved));
  EXPECT_EQ(GetTextAttribute(), 0x1F);
  EXPECT_EQ(writes.back(), "\x1b[0;97;44m");
}

const char* const kBannerText =
    "------------------------------------------------\r\n"
    "Title\r\n"
    "Copyright (c) Pliv authors\r\n"
    "\r\n"
    "\r\n"
    "\r\n"
    "More tools: https://www.example.com/tools\r\n"
    "------------------------------------------------\r\n";

TEST_F(TerminalStream, BannerIsGreenAndTheUsersColoursComeBackAfterIt) {
  ShowBanner("Title");
  ASSERT_EQ(writes.size(), 10u);
  EXPECT_EQ(writes.front(), "\x1b[0;92;49m");
  std::string lines;
  for (std::size_t i = 1; i + 1 < writes.size(); ++i) lines += writes[i];
  EXPECT_EQ(lines, kBannerText);
  EXPECT_EQ(writes.back(), "\x1b[0m");
  EXPECT_EQ(GetTextAttribute(), platform::vt::kUserColours);
}

TEST_F(TerminalStream, BannerOnABackgroundKeepsIt) {
  terminal.attribute = 0x1E;
  ShowBanner("Title");
  EXPECT_EQ(writes.front(), "\x1b[0;92;44m");
  EXPECT_EQ(writes.back(), "\x1b[0;93;44m");
}

TEST_F(TerminalStream, StatusReplacesEveryRowOfThePreviousOne) {
  const std::string blanks = std::string(39, ' ') + "\r";
  const std::string s50(50, '5'), s90(90, '9'), s40(40, '4'), s70(70, '7');
  // Each step writes a status on a terminal of that width, or (line) a whole line.
  struct Step {
    int width;  // 0: the terminal does not say
    std::string text;
    bool line = false;
    int height = 0;  // of the window; 0: the terminal does not say
  };
  struct Row {
    const char* name;
    bool dumb;
    std::vector<Step> steps;
    std::vector<std::string> writes;
  } rows[] = {
      {"one row each",
       false,
       {{40, "Connecting ..."}, {40, "Getting headers ..."}},
       {"\r", "\x1b[K", "Connecting ...", "\r", "\x1b[K", "Getting headers ..."}},
      {"back to the first of two rows",
       false,
       {{40, s50}, {40, "Next"}},
       {"\r", "\x1b[K", s50, "\r\x1b[1A", "\x1b[J", "Next"}},
      {"three rows, then two",
       false,
       {{40, s90}, {40, s50}, {40, "Next"}},
       {"\r", "\x1b[K", s90, "\r\x1b[2A", "\x1b[J", s50, "\r\x1b[1A", "\x1b[J", "Next"}},
      // The cursor stays on the last cell of a full row: the row is still the status's only one.
      {"exactly one row", false, {{40, s40}, {40, "Next"}}, {"\r", "\x1b[K", s40, "\r", "\x1b[K", "Next"}},
      {"a line in between: its row is not the status's",
       false,
       {{40, s50}, {40, "Fatal", true}, {40, "Next"}},
       {"\r", "\x1b[K", s50, "Fatal\r\n", "\r", "\x1b[K", "Next"}},
      // Resized: the fewer rows of the old and the new width.
      {"wider", false, {{40, s90}, {50, "Next"}}, {"\r", "\x1b[K", s90, "\r\x1b[1A", "\x1b[J", "Next"}},
      {"narrower", false, {{40, s70}, {20, "Next"}}, {"\r", "\x1b[K", s70, "\r\x1b[1A", "\x1b[J", "Next"}},
      // Of unknown width nothing tells how many rows a text took: never up, as before long texts.
      {"unknown width", false, {{0, s90}, {0, "Next"}}, {"\r", "\x1b[K", s90, "\r", "\x1b[K", "Next"}},
      {"width lost after two rows",
       false,
       {{40, s50}, {0, "Next"}},
       {"\r", "\x1b[K", s50, "\r", "\x1b[K", "Next"}},
      // A status never takes more rows than the window has: the first one could not be reached again.
      {"cut to a window of two rows",
       false,
       {{40, s90, false, 2}, {40, "Next", false, 2}},
       {"\r", "\x1b[K", s90.substr(0, 80), "\r\x1b[1A", "\x1b[J", "Next"}},
      {"a window of three rows holds it", false, {{40, s90, false, 3}}, {"\r", "\x1b[K", s90}},
      {"dumb: one row each",
       true,
       {{40, "Connecting ..."}, {40, "Getting headers ..."}},
       {"\r", blanks, "Connecting ...", "\r", blanks, "Getting headers ..."}},
      // No row above can be reached: the text stops short of the last cell and never wraps.
      {"dumb: cut to the row",
       true,
       {{40, s50}, {40, s40}, {40, "Next"}},
       {"\r", blanks, s50.substr(0, 39), "\r", blanks, s40.substr(0, 39), "\r", blanks, "Next"}},
      // A row of one cell has no room at all: even one character would wrap.
      {"dumb: width 1", true, {{1, "Next"}, {1, "Next"}}, {"\r", "\r"}},
      {"dumb: unknown width, no blanks that could wrap", true, {{0, s50}}, {"\r", s50}},
  };
  for (const Row& row : rows) {
    Attach(true);
    terminal.dumb = row.dumb;
    for (const Step& step : row.steps) {
      terminal.width = step.width;
      terminal.height = step.height;
      if (step.line)
        WriteLine(step.text);
      else
        ShowStatus(step.text);
    }
    EXPECT_EQ(writes, row.writes) << row.name;
  }
}

TEST_F(TerminalStream, DumbTerminalGetsTheBannerWithoutColours) {
  terminal.dumb = true;
  terminal.attribute = 0x1E;
  ShowBanner("Title");
  EXPECT_EQ(output.Text(), kBannerText);
  // The word is still kept: the banner gives back the one it found.
  EXPECT_EQ(terminal.attribute, 0x1E);
}

TEST_F(TerminalStream, NothingButTextReachesAFile) {
  Attach(false);
  EXPECT_EQ(GetTextAttribute(), 0);
  platform::ScreenBufferInfo info;
  EXPECT_FALSE(platform::GetScreenBufferInfo(info));
  SetTextAttribute(0x1F);
  SetTextColor(10);
  MoveCursor(1, CursorRow());
  MoveCursor(3, 4);
  ClearToLineEnd();
  platform::vt::FillBlanks(terminal, 5, 0, 2);
  EXPECT_TRUE(writes.empty());
  ShowBanner("Title");
  ShowStatus("Connecting ...");
  ShowStatus("Sending headers ...");
  EXPECT_EQ(output.Text(), std::string(kBannerText) + "Connecting ...Sending headers ...");
  // The word a terminal would have taken stays untouched.
  EXPECT_EQ(terminal.attribute, platform::vt::kUserColours);
}

}  // namespace
