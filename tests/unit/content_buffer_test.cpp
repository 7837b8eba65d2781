// The body buffer: bytes survive growth, copies and moves; growth is geometric.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <utility>

#include "net/content_buffer.h"
#include "tests/server/script_server.h"

TEST(ContentBuffer, GrowsKeepingEveryByte) {
  ContentBuffer content;
  std::string expected;
  std::set<std::size_t> capacities;
  // Blocks of every size from 0 to 2047 bytes, each byte telling its position.
  for (std::size_t block = 0; block < 2048; ++block) {
    const std::string bytes = PatternBytes(expected.size(), block);
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

TEST(ContentBuffer, ReserveCopyAndMove) {
  ContentBuffer content(std::string_view("0123456789"));
  ASSERT_TRUE(content.Reserve(1 << 20));
  EXPECT_GE(content.capacity(), 1u << 20);
  EXPECT_TRUE(content == "0123456789") << "a reservation keeps the bytes";
  ASSERT_TRUE(content.Reserve(4));
  EXPECT_GE(content.capacity(), 1u << 20) << "a smaller reservation gives nothing back";

  ContentBuffer copy(content);
  ASSERT_TRUE(copy.Append("x", 1));
  EXPECT_TRUE(content == "0123456789") << "a copy has bytes of its own";

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

// Where the system holds address space for the body (Windows), the body grows in place up to the
// held size, with committed memory at most one step ahead of it, and moves as seldom as a doubling
// buffer when it outgrows that; where it cannot (POSIX), holding changes nothing. Every byte survives either
// way.
TEST(ContentBuffer, GrowsInPlaceWithinHeldAddressSpace) {
  constexpr std::size_t kMiB = 1 << 20;
  struct Row {
    const char* name;
    std::size_t before;  // bytes appended before the hold
    std::size_t hold;
    std::size_t total;  // bytes appended in all, in blocks of 1024
  } rows[] = {
      {"empty, filled to the held size", 0, 3 * kMiB, 3 * kMiB},
      {"bytes appended before the hold are kept", 5000, 2 * kMiB, 2 * kMiB},
      {"a held size that is no multiple of a page", 0, 1000001, 1000001},
      {"outgrowing the held size moves the bytes a few times", 0, 256 * 1024, 3 * kMiB},
      {"a hold below what is held already changes nothing", 70000, 1000, 200000},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    ContentBuffer content;
    std::string expected;
    auto append = [&](std::size_t upTo) {
      while (expected.size() < upTo) {
        const std::string bytes =
            PatternBytes(expected.size(), std::min<std::size_t>(1024, upTo - expected.size()));
        ASSERT_TRUE(content.Append(bytes.data(), bytes.size()));
        expected += bytes;
      }
    };
    append(row.before);
    const char* before = content.data();
    std::size_t capacityBefore = content.capacity();
    bool held = content.HoldAddressSpace(row.hold);
    if (!held) {
      EXPECT_EQ(content.data(), before);
      EXPECT_EQ(content.capacity(), capacityBefore);
    }
    EXPECT_TRUE(content == expected) << "holding keeps the bytes";

    int movesWithin = 0, movesPast = 0;
    std::size_t mostAhead = 0;
    const char* at = content.data();
    while (expected.size() < row.total) {
      append(std::min(row.total, expected.size() + 1024));
      if (content.data() != at) ++(expected.size() <= row.hold ? movesWithin : movesPast);
      at = content.data();
      mostAhead = std::max(mostAhead, content.capacity() - content.size());
    }
    EXPECT_TRUE(content == expected);
    if (held) {
      EXPECT_EQ(movesWithin, 0);
      // Past it, each move at least doubles the room.
      int doublings = 0;
      for (std::size_t room = row.hold; room < row.total; room *= 2) ++doublings;
      EXPECT_LE(movesPast, doublings);
      EXPECT_LE(mostAhead, kMiB) << "committed memory runs at most one step ahead of the bytes";
    }
  }
}
