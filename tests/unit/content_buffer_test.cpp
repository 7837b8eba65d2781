// The body buffer: bytes survive growth, cuts, copies and moves; growth is geometric.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>

#include "net/content_buffer.h"

TEST(ContentBuffer, GrowsKeepingEveryByte) {
  ContentBuffer content;
  std::string expected;
  std::set<std::size_t> capacities;
  // Blocks of every size from 0 to 2047 bytes, each byte telling its position.
  for (std::size_t block = 0; block < 2048; ++block) {
    std::string bytes;
    for (std::size_t i = 0; i < block; ++i) bytes += static_cast<char>((expected.size() + i) * 7 % 251);
    ASSERT_TRUE(content.Append(bytes.data(), bytes.size()));
    expected += bytes;
    capacities.insert(content.capacity());
    ASSERT_GE(content.capacity(), content.size());
  }
  EXPECT_EQ(content.size(), expected.size());
  EXPECT_TRUE(content == expected);
  // About two megabytes in at most a few dozen steps: each growth at least doubles the room,
  // so the bytes are moved a bounded number of times, not once per block.
  EXPECT_LE(capacities.size(), 12u);
}

TEST(ContentBuffer, ReserveCutCopyAndMove) {
  ContentBuffer content(std::string_view("0123456789"));
  ASSERT_TRUE(content.Reserve(1 << 20));
  EXPECT_GE(content.capacity(), 1u << 20);
  EXPECT_TRUE(content == "0123456789") << "a reservation keeps the bytes";
  ASSERT_TRUE(content.Reserve(4));
  EXPECT_GE(content.capacity(), 1u << 20) << "a smaller reservation gives nothing back";

  struct Row {
    std::size_t cut;
    const char* expected;
  } rows[] = {{20, "0123456789"}, {10, "0123456789"}, {4, "0123"}, {0, ""}};
  for (const Row& row : rows) {
    ContentBuffer copy(content);
    copy.CutTo(row.cut);
    EXPECT_TRUE(copy == row.expected) << row.cut;
    EXPECT_EQ(copy.empty(), row.cut == 0);
  }
  EXPECT_TRUE(content == "0123456789") << "cutting a copy leaves the original alone";

  ContentBuffer moved(std::move(content));
  EXPECT_TRUE(moved == "0123456789");
  ContentBuffer assigned;
  assigned = moved;
  ASSERT_TRUE(assigned.Append("ab", 2));
  EXPECT_TRUE(assigned == "0123456789ab");
  EXPECT_TRUE(moved == "0123456789") << "an assigned copy has bytes of its own";
  EXPECT_TRUE(ContentBuffer() == "");
  EXPECT_EQ(ContentBuffer().data(), nullptr);
}
