// Saving a transfer's result: the file afterwards, the closing report and the exit code.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <ostream>
#include <sstream>
#include <string>

#include "app/fetch_and_save.h"
#include "app/name_check.h"
#include "platform/files.h"
#include "tests/platform/code_page.h"
#include "tests/platform/file_faults.h"
#include "tests/program_text.h"

namespace {

namespace fs = std::filesystem;
using Outcome = TransferOutcome;

std::optional<std::string> ReadFile(const fs::path& path) {
  if (!fs::is_regular_file(path)) return std::nullopt;
  std::ifstream in(path, std::ios::binary);
  std::stringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

void WriteFile(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

std::string Replace(std::string text, const std::string& from, const std::string& to) {
  for (auto at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
  return text;
}

// Whether text is expected with {reason} standing for one line of the system's own words.
bool MatchesWithReason(const std::string& text, const std::string& expected) {
  const auto at = expected.find("{reason}");
  if (at == std::string::npos) return text == expected;
  const std::string before = expected.substr(0, at), after = expected.substr(at + 8);
  if (text.size() <= before.size() + after.size() || text.compare(0, before.size(), before) != 0 ||
      text.compare(text.size() - after.size(), after.size(), after) != 0)
    return false;
  const std::string reason = text.substr(before.size(), text.size() - before.size() - after.size());
  return reason.find_first_of("\r\n") == std::string::npos && reason.front() != ' ' && reason.back() != ' ';
}

// CloseFails: the file's close fails; CannotShrink: a file that holds before and refuses to be cut.
enum class Target { File, Directory, EmptyName, CloseFails, CannotShrink };

struct SaveCase {
  const char* what;
  std::optional<std::string> before;  // the file before the run; none: missing
  HttpResult result;
  std::string output;  // {name} stands for the name used, {reason} for the system's reason
  int exitCode;
  std::optional<std::string> after;  // none: no regular file there afterwards
  Target target = Target::File;
};

HttpResult Result(Outcome outcome, std::string content, int length = -1, int status = -1,
                  std::string reason = "", std::string location = "") {
  return HttpResult{ContentBuffer(content), outcome, length, status, reason, location};
}

const std::string kOld = "old content, longer than the new one";

const SaveCase kCases[] = {
    {"complete into a new file", std::nullopt, Result(Outcome::Complete, "hello"),
     "\r\n\t5 byte(s) downloaded -> {name}\r\n", 0, "hello"},
    {"a longer old file loses its tail", kOld, Result(Outcome::Complete, "new", 3),
     "\r\n\t3 byte(s) downloaded -> {name}\r\n", 0, "new"},
    {"an empty body empties the old file", kOld, Result(Outcome::Complete, ""),
     "\r\n\t0 byte(s) downloaded -> {name}\r\n", 0, ""},
    {"binary bytes pass unchanged", std::nullopt, Result(Outcome::Complete, std::string("\0\r\n\x1a\xff", 5)),
     "\r\n\t5 byte(s) downloaded -> {name}\r\n", 0, std::string("\0\r\n\x1a\xff", 5)},
    {"a failed transfer leaves the old file alone", kOld, Result(Outcome::Failed, ""),
     "\r\n\t0 byte(s) downloaded -> {name}\r\n", 2, kOld},
    {"a failed transfer still creates a missing file", std::nullopt, Result(Outcome::Failed, ""),
     "\r\n\t0 byte(s) downloaded -> {name}\r\n", 2, ""},
    {"short of the declared length keeps the old file", kOld, Result(Outcome::Short, "abcd", 10),
     "\r\n\t4 byte(s) downloaded -> {name}\r\nFatal: download incomplete, 4 of 10 bytes received\r\n"
     "The existing file {name} was kept; the incomplete download was not saved\r\n",
     2, kOld},
    {"short of the declared length into an empty file", "", Result(Outcome::Short, "abcd", 10),
     "\r\n\t4 byte(s) downloaded -> {name}\r\nFatal: download incomplete, 4 of 10 bytes received\r\n", 2,
     "abcd"},
    {"receive error without a length", std::nullopt, Result(Outcome::Broken, "abc"),
     "\r\n\t3 byte(s) downloaded -> {name}\r\nFatal: connection broken after 3 bytes\r\n", 2, "abc"},
    {"receive error short of the declared length keeps the old file", kOld,
     Result(Outcome::Broken, "abc", 10),
     "\r\n\t3 byte(s) downloaded -> {name}\r\nFatal: download incomplete, 3 of 10 bytes received\r\n"
     "The existing file {name} was kept; the incomplete download was not saved\r\n",
     2, kOld},
    {"every declared byte, whatever came after", std::nullopt, Result(Outcome::Complete, "abc", 3),
     "\r\n\t3 byte(s) downloaded -> {name}\r\n", 0, "abc"},
    {"a directory cannot be written", std::nullopt, Result(Outcome::Complete, "abc"),
     "\r\n\t3 byte(s) downloaded -> {name}\r\nFatal: could not write {name}: {reason}\r\n", 2, std::nullopt,
     Target::Directory},
    {"an empty name cannot be written", std::nullopt, Result(Outcome::Complete, "abc"),
     "\r\n\t3 byte(s) downloaded -> \r\nFatal: could not write : {reason}\r\n", 2, std::nullopt,
     Target::EmptyName},
    // The server's error response is its answer, not the file: it never replaces one.
    {"an error page into a new file is saved", std::nullopt,
     Result(Outcome::Complete, "page", -1, 404, "Not Found"),
     "\r\n\t4 byte(s) downloaded -> {name}\r\nFatal: the server answered 404 Not Found\r\n", 2, "page"},
    {"an error page over a file that holds bytes keeps it", kOld,
     Result(Outcome::Complete, "page", 4, 503, "Service Unavailable"),
     "\r\n\t4 byte(s) downloaded -> {name}\r\nFatal: the server answered 503 Service Unavailable\r\n"
     "The existing file {name} was kept; the server's answer was not saved\r\n",
     2, kOld},
    {"an error page into an empty file is saved", "", Result(Outcome::Complete, "page", -1, 404, "Not Found"),
     "\r\n\t4 byte(s) downloaded -> {name}\r\nFatal: the server answered 404 Not Found\r\n", 2, "page"},
    {"a redirect names its target", std::nullopt,
     Result(Outcome::Complete, "", -1, 301, "Moved Permanently", "http://h/f.zip"),
     "\r\n\t0 byte(s) downloaded -> {name}\r\n"
     "Fatal: the server answered 301 Moved Permanently (moved to http://h/f.zip)\r\n",
     2, ""},
    {"a code keeps its leading zero, no reason", std::nullopt, Result(Outcome::Complete, "x", -1, 99),
     "\r\n\t1 byte(s) downloaded -> {name}\r\nFatal: the server answered 099\r\n", 2, "x"},
    {"an incomplete error page: both lines, the file kept", kOld,
     Result(Outcome::Short, "pa", 4, 404, "Not Found"),
     "\r\n\t2 byte(s) downloaded -> {name}\r\nFatal: download incomplete, 2 of 4 bytes received\r\n"
     "Fatal: the server answered 404 Not Found\r\n"
     "The existing file {name} was kept; the server's answer was not saved\r\n",
     2, kOld},
    {"any 2xx is the file", kOld, Result(Outcome::Complete, "new", -1, 206, "Partial Content"),
     "\r\n\t3 byte(s) downloaded -> {name}\r\n", 0, "new"},
    {"incomplete and not written: both, transfer first", std::nullopt, Result(Outcome::Short, "ab", 5),
     "\r\n\t2 byte(s) downloaded -> \r\nFatal: download incomplete, 2 of 5 bytes received\r\n"
     "Fatal: could not write : {reason}\r\n",
     2, std::nullopt, Target::EmptyName},
    // The data may never have reached the disk.
    {"a failed close is a failed save", std::nullopt, Result(Outcome::Complete, "hello"),
     "\r\n\t5 byte(s) downloaded -> {name}\r\nFatal: could not write {name}: {reason}\r\n", 2, "hello",
     Target::CloseFails},
    // The old file's tail stays behind the shorter body.
    {"a failed cut is a failed save", kOld, Result(Outcome::Complete, "new", 3),
     "\r\n\t3 byte(s) downloaded -> {name}\r\nFatal: could not write {name}: {reason}\r\n", 2,
     "new content, longer than the new one", Target::CannotShrink},
};

// Names the case instead of dumping its bytes when it fails.
void PrintTo(const SaveCase& c, std::ostream* os) {
  *os << c.what;
}

class SaveAndReportTest : public testing::TestWithParam<SaveCase> {};

TEST_P(SaveAndReportTest, FileOutputAndExitCode) {
  const SaveCase& c = GetParam();
  // ctest runs the cases side by side: each gets a folder named after itself.
  std::string folder =
      std::string("pliv-save-") + testing::UnitTest::GetInstance()->current_test_info()->name();
  std::replace(folder.begin(), folder.end(), '/', '-');
  const fs::path dir = fs::temp_directory_path() / folder;
  fs::remove_all(dir);
  fs::create_directories(dir);
  fs::path file = dir / "saved.bin";
  if (c.target == Target::Directory) fs::create_directory(file);
  if (c.target == Target::CannotShrink) {
    const std::optional<std::string> sealed = test_platform::FileThatCannotShrink(*c.before);
    if (!sealed) GTEST_SKIP() << "no file here refuses to be cut";
    file = *sealed;
  } else if (c.before) {
    WriteFile(file, *c.before);
  }
  if (c.target == Target::CloseFails && !test_platform::FailNextCloseOf(file.string()))
    GTEST_SKIP() << "no close fails here";
  const std::string name = c.target == Target::EmptyName ? "" : file.string();

  test_output::RecordedOutput output;
  const int exitCode = SaveAndReport(c.result, name, true);

  EXPECT_TRUE(MatchesWithReason(output.Text(), Replace(c.output, "{name}", name)))
      << c.what << ": " << output.Text();
  EXPECT_EQ(exitCode, c.exitCode) << c.what;
  EXPECT_EQ(ReadFile(file), c.after) << c.what;
  fs::remove_all(dir);
}

INSTANTIATE_TEST_SUITE_P(Cases, SaveAndReportTest, testing::ValuesIn(kCases));

// The check before the transfer, in a folder that holds a folder sub and a file file.txt: it refuses
// what can never be saved and lets everything else pass, changing nothing.
TEST(LocalNameCheck, RefusesOnlyWhatCanNeverBeSaved) {
  const std::string hint = "; a second argument gives another name";
  const bool windows = PLIV_REFUSED_NAME_CHARACTERS;
  const bool devices = PLIV_DEVICE_NAMES;
  struct Row {
    std::string name;
    bool fromUrl;
    std::string refusal;  // the whole line; empty: the save may go ahead
  } rows[] = {
      {"", true, "Fatal: cannot save: the URL ends in no file name; a second argument gives one"},
      {".", true, "Fatal: cannot save as .: it names a folder, not a file" + hint},
      {"..", false, "Fatal: cannot save as ..: it names a folder, not a file"},
      {"sub/", false, "Fatal: cannot save as sub/: it names a folder, not a file"},
      {"sub", true, "Fatal: cannot save as sub: it is a folder" + hint},
      {"sub", false, "Fatal: cannot save as sub: it is a folder"},
      {"missing/f.bin", false, "Fatal: cannot save as missing/f.bin: the folder missing/ does not exist"},
      {"file.txt/f.bin", false, "Fatal: cannot save as file.txt/f.bin: file.txt/ is not a folder"},
      {std::string(300, 'a'), true,
       "Fatal: cannot save as " + std::string(300, 'a') + ": the name is longer than the file system allows" +
           hint},
      {"sub/" + std::string(300, 'b'), false,
       "Fatal: cannot save as sub/" + std::string(300, 'b') +
           ": the name is longer than the file system allows"},
      {"get?id=7", true,
       windows ? "Fatal: cannot save as get?id=7: a file name may not hold the character \"?\"" + hint : ""},
      {"sub/a*b", false,
       windows ? "Fatal: cannot save as sub/a*b: a file name may not hold the character \"*\"" : ""},
      {"a\x01z", true,
       windows ? "Fatal: cannot save as a\x01z: control characters are not allowed in a file name" + hint
               : ""},
      {"NUL.bin", true,
       devices ? "Fatal: cannot save as NUL.bin: the system reads that name as a device" + hint : ""},
      {"nul", false, ""},
      {"missing/nul", false,
       devices ? "" : "Fatal: cannot save as missing/nul: the folder missing/ does not exist"},
      {"file.txt", true, ""},
      // Windows would store these under another name than the closing line gives.
      {"file.txt.", true,
       windows ? "Fatal: cannot save as file.txt.: the system would store it as file.txt" + hint : ""},
      {"file.txt .", true,
       windows ? "Fatal: cannot save as file.txt .: the system would store it as file.txt" + hint : ""},
      {"FILE.TXT", true, ""},
      {"file.txt.", false, ""},
      {"sub/new.bin", false, ""},
      {"new.bin", true, ""},
      // The file system's own limit, 255 bytes or UTF-16 units here, decides.
      {std::string(255, 'c'), true, ""},
      {std::string(256, 'd'), true,
       "Fatal: cannot save as " + std::string(256, 'd') + ": the name is longer than the file system allows" +
           hint},
  };
  const fs::path dir = fs::temp_directory_path() / "pliv-name-check";
  fs::remove_all(dir);
  fs::create_directories(dir / "sub");
  WriteFile(dir / "file.txt", kOld);
  const fs::path before = fs::current_path();
  fs::current_path(dir);
  for (const Row& row : rows) EXPECT_EQ(RefusalOfLocalName(row.name, row.fromUrl), row.refusal) << row.name;
  fs::current_path(before);
  // Nothing was created, and the file that was opened for the check holds what it held.
  std::size_t entries = 0;
  for ([[maybe_unused]] const auto& entry : fs::directory_iterator(dir)) ++entries;
  EXPECT_EQ(entries, 2u);
  EXPECT_TRUE(fs::is_empty(dir / "sub"));
  EXPECT_EQ(ReadFile(dir / "file.txt"), kOld);
  fs::remove_all(dir);
}

// Which of the system's answers refuse a save before the transfer: only those that last until
// someone changes the file or its folder. A lock, a lease or a file that vanished passes.
TEST(LocalNameCheck, OnlyLastingErrorsRefuse) {
  const bool windows = PLIV_WINDOWS_ERRORS;
  struct Row {
    platform::FileError posix, win32;  // the same situation's code on either system
    bool lasting;
  } rows[] = {
      {EACCES, 5, true},         // ERROR_ACCESS_DENIED
      {EPERM, 5, true},          // an immutable file; Windows says access denied
      {EROFS, 19, true},         // ERROR_WRITE_PROTECT
      {EWOULDBLOCK, 32, false},  // a lease; ERROR_SHARING_VIOLATION
      {ENOLCK, 33, false},       // ERROR_LOCK_VIOLATION
      {ENOENT, 2, false},        // vanished between two looks; ERROR_FILE_NOT_FOUND
      {ENOTDIR, 3, false},       // ERROR_PATH_NOT_FOUND
      {ETXTBSY, 21, false},      // a program being run; ERROR_NOT_READY
      {EIO, 87, false},          // not understood; ERROR_INVALID_PARAMETER
      {0, 0, false},
  };
  for (const Row& row : rows) {
    const platform::FileError error = windows ? row.win32 : row.posix;
    EXPECT_EQ(platform::IsLastingFileError(error), row.lasting) << error;
  }
}

// The one-writer lock is left out only on SMB/CIFS mounts, where every other reader's read fails
// while it is held; Windows's sharing stands in for it everywhere.
TEST(LocalNameCheck, NoLockOnSmbMounts) {
  const struct {
    std::uint64_t kind;  // statfs f_type
    bool locks;
  } rows[] = {
      {0xFF534D42, false},  // cifs
      {0xFE534D42, false},  // smb3
      {0x517B, false},      // smbfs
      {0xEF53, true},       // ext4
      {0x01021994, true},   // tmpfs
      {0x6969, true},       // nfs
      {0x65735546, true},   // fuse
  };
  for (const auto& row : rows)
    EXPECT_EQ(platform::LocksOnFileSystem(row.kind), row.locks || PLIV_WINDOWS_ERRORS)
        << std::hex << row.kind;
}

// The names Windows reads as devices, which a name from the URL must never open (opening COM1
// would reach a real port); elsewhere they are ordinary names.
TEST(DeviceNames, WindowsReservedNamesOnly) {
  struct Row {
    const char* utf8;
    bool device;
  } rows[] = {
      {"nul", true},
      {"NUL.bin", true},
      {"nul.tar.gz", true},
      {"Con", true},
      {"con.txt", true},
      {"CONOUT$", true},
      {"conin$.log", true},
      {"aux", true},
      {"prn.", true},
      {"nul. . ", true},
      {"LPT3 .txt", true},
      {"com1", true},
      {"COM9.txt", true},
      {"com0", true},
      {"lpt1", true},
      {"com\u00b9", true},
      {"LPT\u00b2.dat", true},
      {"com\u00b3", true},
      {"null", false},
      {"nul1", false},
      {"com10", false},
      {"com", false},
      {"comx", false},
      {"x.nul", false},
      {"file.con", false},
      {"conout", false},
      {"com\u2074", false},
      {"nul_", false},
      {"", false},
  };
  for (const Row& row : rows) {
    const std::optional<std::string> name = test_platform::AnsiFromUtf8(row.utf8);
    if (!name) continue;  // the code page has no such character
    EXPECT_EQ(platform::IsDeviceName(*name), PLIV_DEVICE_NAMES && row.device) << row.utf8;
  }
}

}  // namespace
