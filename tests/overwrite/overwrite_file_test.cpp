// The order in which a body goes over an old file, against a file layer in memory whose disk has
// a given room and whose writes can fail on request. It stands in for platform/files.h, so this
// program links the save policy alone.
#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <string>

#include "app/overwrite_file.h"

namespace {

struct FakeFile {
  std::string bytes;
  std::int64_t position = 0;
  std::size_t room = 0;  // the most bytes the disk holds for this file
  bool pipe = false;     // no length and no positions
  int failingWrite = 0;  // this write call (from 1) fails before its first byte: an I/O error
  int writes = 0;
};

FakeFile file;

}  // namespace

namespace platform {

bool FileLength(FileHandle, std::int64_t& length) {
  length = file.pipe ? 0 : static_cast<std::int64_t>(file.bytes.size());
  return true;
}

bool SetFilePosition(FileHandle, std::int64_t position) {
  if (file.pipe) return false;
  file.position = position;
  return true;
}

bool WriteToFile(FileHandle, const char* data, std::size_t size) {
  if (++file.writes == file.failingWrite) return false;
  if (file.pipe) {
    file.bytes.append(data, size);
    return true;
  }
  for (std::size_t i = 0; i < size; ++i, ++file.position) {
    const auto at = static_cast<std::size_t>(file.position);
    // A write past the end fills the gap; every byte of the file needs room, as on tmpfs.
    if (at >= file.bytes.size()) {
      if (at + 1 > file.room) return false;
      file.bytes.resize(at + 1);
    }
    file.bytes[at] = data[i];
  }
  return true;
}

bool CutFileHere(FileHandle) {
  if (!file.pipe) file.bytes.resize(static_cast<std::size_t>(file.position));
  return true;
}

}  // namespace platform

namespace {

const std::string kOld = "0123456789";
const std::string kLonger = "ABCDEFGHIJKLMNO";

struct OverwriteCase {
  const char* what;
  std::string before;
  std::string body;
  std::size_t room;
  int failingWrite;
  bool written;
  std::string after;
  bool pipe = false;
};

const OverwriteCase kCases[] = {
    {"a new file takes the whole body", "", "abcdef", 100, 0, true, "abcdef"},
    {"a new file that does not fit stays empty", "", "abcdef", 4, 0, false, ""},
    {"a longer body that does not fit leaves every old byte", kOld, kLonger, 12, 0, false, kOld},
    {"a longer body that just fits", kOld, kLonger, 15, 0, true, kLonger},
    {"a shorter body on a full disk", kOld, "ABCD", 10, 0, true, "ABCD"},
    {"a body of the old length on a full disk", kOld, "ABCDEFGHIJ", 10, 0, true, "ABCDEFGHIJ"},
    {"an empty body empties the file", kOld, "", 10, 0, true, ""},
    {"an I/O error beyond the old end cuts back to the old bytes", kOld, kLonger, 100, 1, false, kOld},
    {"an I/O error over the old bytes keeps them and the new end", kOld, kLonger, 100, 2, false,
     kOld + "KLMNO"},
    {"an I/O error in a shorter body", kOld, "ABCD", 100, 1, false, kOld},
    {"a pipe is written from where it stands, without a seek", "", "abc", 0, 0, true, "abc", true},
};

void PrintTo(const OverwriteCase& c, std::ostream* os) {
  *os << c.what;
}

class OverwriteFileTest : public testing::TestWithParam<OverwriteCase> {};

TEST_P(OverwriteFileTest, LeavesTheFileAsExpected) {
  const OverwriteCase& c = GetParam();
  file = FakeFile{c.before, 0, c.room, c.pipe, c.failingWrite, 0};
  EXPECT_EQ(OverwriteFile(0, c.body.data(), c.body.size()), c.written);
  EXPECT_EQ(file.bytes, c.after);
}

INSTANTIATE_TEST_SUITE_P(Cases, OverwriteFileTest, testing::ValuesIn(kCases));

}  // namespace
