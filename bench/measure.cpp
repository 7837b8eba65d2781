// measure: runs one command and writes its own figures, for bench/run.
//
//   measure RESULT COMMAND [ARGUMENTS...]
//
// The command inherits standard input, output and error. RESULT receives one line:
// wall seconds, user seconds, system seconds, peak RSS in KiB and the exit code. The figures
// are the command's alone (wait4 on it): a program that measured by itself would have its own
// size counted into the child's peak RSS, which is why this one is small and forks directly.
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>

namespace {

double Seconds(const timeval& t) {
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
}

double Now() {
  timespec now;
  ::clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: measure RESULT COMMAND [ARGUMENTS...]\n");
    return 2;
  }
  double start = Now();
  pid_t child = ::fork();
  if (child < 0) return 2;
  if (child == 0) {
    ::execvp(argv[2], argv + 2);
    ::_exit(127);
  }
  int status = 0;
  rusage usage{};
  if (::wait4(child, &status, 0, &usage) != child) return 2;
  double wall = Now() - start;
  int exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);

  std::FILE* result = std::fopen(argv[1], "w");
  if (!result) return 2;
  std::fprintf(result, "%.6f %.6f %.6f %ld %d\n", wall, Seconds(usage.ru_utime), Seconds(usage.ru_stime),
               usage.ru_maxrss, exitCode);
  std::fclose(result);
  return exitCode;
}
