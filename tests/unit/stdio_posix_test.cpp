// Held bytes for standard output: they go out first in the next write, before standard error is
// written, and at exit. Standard output and error are connected to packet sockets for the test,
// where every write arrives as a packet of its own.
#include <gtest/gtest.h>

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
