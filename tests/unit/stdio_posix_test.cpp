// Held bytes for standard output: they go out first in the next write, before standard error is
// written, and at exit. Standard output and error are connected to packet sockets for the test,
// where every write arrives as a packet of its own.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/stdio.h"

namespace {

// Connects descriptor target to a fresh packet socket for the lifetime of the object.
class Redirect {
 public:
  explicit Redirect(int target) : target_(target) {
    std::fflush(nullptr);
    saved_ = ::dup(target);
    ::socketpair(AF_UNIX, SOCK_SEQPACKET, 0, ends_);
    ::dup2(ends_[0], target);
  }
  ~Redirect() {
    ::dup2(saved_, target_);
    ::close(saved_);
    ::close(ends_[0]);
    ::close(ends_[1]);
  }
  // The writes that have arrived, one string each.
  std::vector<std::string> Writes() {
    std::vector<std::string> writes;
    char buffer[4096];
    ssize_t n;
    while ((n = ::recv(ends_[1], buffer, sizeof buffer, MSG_DONTWAIT)) > 0) writes.emplace_back(buffer, n);
    return writes;
  }

 private:
  int target_;
  int saved_;
  int ends_[2];
};

using Writes = std::vector<std::string>;

}  // namespace

// Assertions come after each redirection ends, so that their messages reach the real output.
TEST(HeldOutput, GoesOutInFrontOfTheNextWriteInOnePiece) {
  Writes waiting, written;
  bool ok = false;
  {
    Redirect out(STDOUT_FILENO);
    int error = 0;
    platform::HoldStandardOutput("\r", 1);
    platform::HoldStandardOutput("\x1b[K", 3);
    waiting = out.Writes();
    ok = platform::WriteStandardOutput("Downloading 1", 13, error) &&
         platform::WriteStandardOutput("plain", 5, error);
    written = out.Writes();
  }
  EXPECT_EQ(waiting, Writes{}) << "held bytes wait";
  EXPECT_TRUE(ok);
  EXPECT_EQ(written, (Writes{"\r\x1b[KDownloading 1", "plain"}));
}

TEST(HeldOutput, ManyOrLongBytesKeepTheirOrder) {
  std::string a(400, 'a'), b(400, 'b'), c(700, 'c'), d(600, 'd');
  Writes written;
  bool ok = false;
  {
    Redirect out(STDOUT_FILENO);
    int error = 0;
    platform::HoldStandardOutput(a.data(), a.size());
    platform::HoldStandardOutput(b.data(), b.size());               // does not fit behind a: a goes first
    ok = platform::WriteStandardOutput(c.data(), c.size(), error);  // too long to join b
    platform::HoldStandardOutput(d.data(), d.size());               // too long to be held at all
    ok = ok && platform::WriteStandardOutput("e", 1, error);
    written = out.Writes();
  }
  EXPECT_TRUE(ok);
  EXPECT_EQ(written, (Writes{a, b, c, d, "e"}));
}

TEST(HeldOutput, GoesOutBeforeStandardError) {
  Writes output, errors;
  {
    Redirect out(STDOUT_FILENO);
    Redirect err(STDERR_FILENO);
    platform::HoldStandardOutput("\x1b[0m", 4);
    platform::WriteStandardError("report", 6);
    output = out.Writes();
    errors = err.Writes();
  }
  EXPECT_EQ(output, Writes{"\x1b[0m"});
  EXPECT_EQ(errors, Writes{"report"});
}

TEST(HeldOutput, GoesOutAtExit) {
  Writes output;
  {
    Redirect out(STDOUT_FILENO);
    pid_t child = ::fork();
    if (child == 0) {
      platform::HoldStandardOutput("\x1b[0m", 4);
      std::exit(0);
    }
    int status = 0;
    if (child > 0) ::waitpid(child, &status, 0);
    output = out.Writes();
  }
  EXPECT_EQ(output, Writes{"\x1b[0m"});
}

// A closed standard descriptor is taken by /dev/null at start-up, so that no socket or file gets
// it; a closed standard output still counts as not open. Each row runs in a child process.
TEST(StandardHandles, ClosedOnesAreHeldByDevNull) {
  struct Row {
    const char* name;
    std::vector<int> closed;
  } rows[] = {
      {"none closed", {}},     {"standard input", {0}},  {"standard output", {1}},
      {"standard error", {2}}, {"all three", {0, 1, 2}}, {"output and error", {1, 2}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    int report[2];
    ASSERT_EQ(::pipe(report), 0);
    std::fflush(nullptr);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      // Moved out of the way of 0-2 first, so the report survives the closing.
      int out = ::fcntl(report[1], F_DUPFD, 10);
      for (int fd : row.closed) ::close(fd);
      platform::PrepareStandardHandles();
      // One byte per check: descriptors 0-2 open, the kind of standard output, a new descriptor.
      char result[5];
      for (int fd = 0; fd <= 2; ++fd) result[fd] = ::fcntl(fd, F_GETFD) != -1 ? 'o' : 'c';
      result[3] = platform::StandardOutputKind() == platform::StdKind::Unknown ? 'u' : 'k';
      int next = ::socket(AF_UNIX, SOCK_STREAM, 0);
      result[4] = next > 2 ? 'n' : static_cast<char>('0' + next);
      ::write(out, result, sizeof result);
      ::_exit(0);
    }
    ::close(report[1]);
    char result[6] = {};
    ssize_t n = ::read(report[0], result, 5);
    ::close(report[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_EQ(n, 5);
    bool outputClosed = false;
    for (int fd : row.closed) outputClosed = outputClosed || fd == 1;
    EXPECT_EQ(std::string(result), std::string("ooo") + (outputClosed ? "u" : "k") + "n");
  }
}
