// %f's two ways held against each other and against the C library's own exact conversion.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "app/format.h"
#include "net/progress.h"

namespace {

// %f as the C library's printf gives the 18 significant digits, rounded half away from zero at the
// second decimal.
std::string Reference(long double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%.17Le", value);
  const char* p = text;
  bool negative = *p == '-';
  if (negative) ++p;
  if (*p < '0' || *p > '9') return text;
  std::string digits;
  for (; *p && *p != 'e' && *p != 'E'; ++p)
    if (*p >= '0' && *p <= '9') digits += *p;
  int exponent = *p ? std::atoi(p + 1) : 0;
  if (value == 0) exponent = 0;
  // Hundredths as decimal digits, rounded at the digit behind them.
  int keep = exponent + 3;
  std::string kept;
  if (keep >= static_cast<int>(digits.size())) {
    kept = digits + std::string(static_cast<std::size_t>(keep) - digits.size(), '0');
  } else if (keep >= 0) {
    kept.assign(1, '0');
    kept.append(digits, 0, static_cast<std::size_t>(keep));
    if (digits[static_cast<std::size_t>(keep)] >= '5') {
      std::size_t i = kept.size();
      while (kept[--i] == '9') kept[i] = '0';
      ++kept[i];
    }
  }
  while (kept.size() > 3 && kept[0] == '0') kept.erase(0, 1);
  if (kept.size() < 3) kept.insert(0, 3 - kept.size(), '0');
  std::string result = negative && kept.find_first_not_of('0') != std::string::npos ? "-" : "";
  result.append(kept, 0, kept.size() - 2);
  result += '.';
  result.append(kept, kept.size() - 2, 2);
  return result;
}

std::string Quick(long double value, bool& accepted) {
  std::string out = "<";
  accepted = AppendFixed2Quick(out, value);
  return out.substr(1);
}

std::string Exact(long double value) {
  std::string out;
  AppendFixed2Exact(out, value);
  return out;
}

// Values of every kind: the edges of the rounding, both ends of the long double range, and the
// figures of real progress lines.
std::vector<long double> Values() {
  std::vector<long double> values = {0.0L,
                                     -0.0L,
                                     0.005L,
                                     0.0049999999999999999999L,
                                     0.125L,
                                     2.675L,
                                     9.995L,
                                     99.995L,
                                     -0.005L,
                                     -0.004L,
                                     1e15L,
                                     999999999999999.995L,
                                     1e20L,
                                     1234567890123456785.0L,  // a tie at the 18th digit: to even
                                     1234567890123456775.0L,
                                     18446744073709551615.0L,
                                     1e300L,
                                     1e-300L,
                                     HUGE_VALL,
                                     -HUGE_VALL,
                                     std::numeric_limits<long double>::max(),
                                     std::numeric_limits<long double>::min(),
                                     std::numeric_limits<long double>::denorm_min(),
                                     std::numeric_limits<long double>::epsilon()};
  std::mt19937_64 random(20240611);
  // Half-hundredths and their neighbours a few units in the last place away.
  for (int i = 0; i < 400; ++i) {
    long double tie = static_cast<long double>(2 * (random() % 100000000) + 1) / 200;
    long double below = tie, above = tie;
    for (int step = 0; step < 3; ++step) {
      below = std::nextafter(below, 0.0L);
      above = std::nextafter(above, HUGE_VALL);
      values.insert(values.end(), {tie, below, above});
    }
  }
  // Any mantissa at binary exponents across the whole range.
  for (int exponent = -16440; exponent < 16380; exponent += 37) {
    long double mantissa = static_cast<long double>(random() | (1ull << 63)) / 18446744073709551616.0L;
    values.push_back(std::ldexp(mantissa, exponent) * (exponent % 2 ? -1 : 1));
  }
  // Progress figures: percentage, bytes per millisecond and seconds of a 32-bit transfer.
  for (int i = 0; i < 3000; ++i) {
    auto length = static_cast<std::int32_t>(random() % 2147483647u + 1);
    auto received = static_cast<std::int32_t>(random() % static_cast<std::uint64_t>(length) + 1);
    auto elapsed = static_cast<std::uint32_t>(random());
    values.push_back(static_cast<long double>(received) / length * 100);
    values.push_back(static_cast<long double>(received) / (static_cast<std::int64_t>(elapsed % 100000) + 1));
    values.push_back(static_cast<long double>(elapsed) / 1000);
  }
  return values;
}

}  // namespace

TEST(FixedPoint, BothWaysAgreeWithTheLibraryConversion) {
  SetDecimalSeparator('.');
  int accepted = 0, declined = 0;
  for (long double value : Values()) {
    std::string expected = Reference(value);
    EXPECT_EQ(Exact(value), expected) << static_cast<double>(value);
    bool quick = false;
    std::string quickText = Quick(value, quick);
    if (quick) {
      EXPECT_EQ(quickText, expected) << static_cast<double>(value);
      ++accepted;
    } else {
      EXPECT_EQ(quickText, "") << "a declined value must leave the text alone";
      ++declined;
    }
  }
  // The quick way must take part, or this test only ever checked the exact one.
  EXPECT_GT(accepted, 9000);
  EXPECT_GT(declined, 100);
}

TEST(FixedPoint, QuickWayDeclinesOnlyHugeAndSpecialValues) {
  bool quick = true;
  for (long double value : {1e15L, -1e15L, 1e300L, HUGE_VALL, -HUGE_VALL, std::nanl("")}) {
    Quick(value, quick);
    EXPECT_FALSE(quick) << static_cast<double>(value);
  }
  // Halves of a hundredth are decided exactly on the quick way too.
  EXPECT_EQ(Quick(0.125L, quick), "0.13");
  EXPECT_TRUE(quick);
  EXPECT_EQ(Quick(999999999999999.995L, quick), "1000000000000000.00");
  EXPECT_TRUE(quick);
}

TEST(FixedPoint, SeparatorAndSpecialValues) {
  SetDecimalSeparator(',');
  EXPECT_EQ(FormatText("%f|%f|%f", {2.5L, -0.004L, 1e17L}), "2,50|0,00|100000000000000000,00");
  SetDecimalSeparator('.');
  EXPECT_EQ(FormatText("%f|%f|%f", {HUGE_VALL, -HUGE_VALL, std::nanl("")}), "inf|-inf|nan");
}

TEST(FormatText, IntegersAndLongResults) {
  SetDecimalSeparator('.');
  std::vector<std::int32_t> values = {
      0, 9, 10, 99, 100, 101, 999, 1000, 65536, -1, -10, -100, -2147483647 - 1, 2147483647};
  std::mt19937 random(7);
  for (int i = 0; i < 2000; ++i) values.push_back(static_cast<std::int32_t>(random()) >> (random() % 31));
  for (std::int32_t value : values) EXPECT_EQ(FormatText("%d", {value}), std::to_string(value));

  // Results longer than any line of the program are built whole, whichever piece crosses the length.
  for (std::size_t length : {0u, 200u, 250u, 255u, 256u, 257u, 300u, 5000u}) {
    std::string text(length, 'x');
    EXPECT_EQ(FormatText("%s|%d|%f|%s", {text, -42, 2.5L, text}), text + "|-42|2.50|" + text) << length;
    EXPECT_EQ(FormatText(text + "%%%d", {7}), text + "%7") << length;
  }
  std::string huge = FormatText("<%f>", {1e300L});
  EXPECT_EQ(huge.size(), 306u);
  EXPECT_EQ(huge.substr(0, 3), "<10");
  EXPECT_EQ(huge.substr(huge.size() - 4), ".00>");
}

// The progress line is written piece by piece for speed; it must be FormatText of its format.
TEST(ProgressText, IsFormatTextOfItsFormat) {
  struct Row {
    std::int32_t received, length;
    std::uint32_t elapsed;
  };
  std::vector<Row> rows = {{0, -1, 0},
                           {10, 10, 0},
                           {15, 10, 1},
                           {0, 1, 4294967295u},
                           {2147483647, 1, 999},
                           {1024, 268435456, 125},
                           {-5, 3, 5},
                           {1, 3, 1005},
                           {2, 3, 4294967294u},
                           // exactly half a hundredth: percentage, speed and seconds in turn
                           {1, 20000, 0},
                           {1, 1, 199},
                           {1, 1, 5}};
  std::mt19937_64 random(99);
  // Small figures land on and near half hundredths often.
  for (int i = 0; i < 20000; ++i)
    rows.push_back({static_cast<std::int32_t>(random() % 1000),
                    static_cast<std::int32_t>(random() % 1000 + 1),
                    static_cast<std::uint32_t>(random() % 2000)});
  for (int i = 0; i < 5000; ++i) {
    auto length = static_cast<std::int32_t>(random() % 2147483647u) - (i % 10 == 0 ? 2147483647 / 2 : 0);
    rows.push_back({static_cast<std::int32_t>(random() % 2147483648u), length,
                    static_cast<std::uint32_t>(random() >> (random() % 64))});
  }
  for (char separator : {'.', ','}) {
    SetDecimalSeparator(separator);
    for (const Row& row : rows) {
      std::string expected;
      if (row.length <= 0) {
        expected = FormatText("Downloading %d of UnKnown Size", {row.received});
      } else {
        long double percent = static_cast<long double>(row.received) / row.length * 100;
        long double speed =
            static_cast<long double>(row.received) / (static_cast<std::int64_t>(row.elapsed) + 1);
        long double seconds = static_cast<long double>(row.elapsed) / 1000;
        expected = FormatText("Downloading %d of %d (%f%%) Speed %f Kb/s %f seconds passed",
                              {row.received, row.length, percent, speed, seconds});
      }
      EXPECT_EQ(ProgressText(row.received, row.length, row.elapsed), expected);
    }
  }
  SetDecimalSeparator('.');
}
