// The figures of the progress line held against the C library's own conversion of the long double
// quotients they stand for.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "app/format.h"
#include "net/progress.h"

namespace {

// A figure as the line must show it: the C library's 18 significant digits of value (>= 0), rounded
// half away from zero at the second decimal, with separator before the decimals.
std::string Reference(long double value, char separator) {
  char text[64];
  std::snprintf(text, sizeof text, "%.17Le", value);
  std::string digits;
  const char* p = text;
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
  return kept.substr(0, kept.size() - 2) + separator + kept.substr(kept.size() - 2);
}

}  // namespace

TEST(ProgressText, FiguresAreTheRoundedQuotients) {
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
  char line[kProgressTextRoom];
  for (char separator : {'.', ','}) {
    SetDecimalSeparator(separator);
    for (const Row& row : rows) {
      std::string expected = "Downloading " + std::to_string(row.received);
      if (row.length <= 0) {
        expected += " of UnKnown Size";
      } else {
        long double percent = static_cast<long double>(row.received) / row.length * 100;
        long double speed =
            static_cast<long double>(row.received) / (static_cast<std::int64_t>(row.elapsed) + 1);
        long double seconds = static_cast<long double>(row.elapsed) / 1000;
        expected += " of " + std::to_string(row.length) + " (" + Reference(percent, separator) + "%) Speed " +
                    Reference(speed, separator) + " Kb/s " + Reference(seconds, separator) +
                    " seconds passed";
      }
      EXPECT_EQ(ProgressText(line, row.received, row.length, row.elapsed), expected)
          << row.received << " " << row.length << " " << row.elapsed;
    }
  }
  SetDecimalSeparator('.');
}
