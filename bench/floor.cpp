// floor: the cheapest client that still does what pliv's transfer pattern demands, so that the
// benchmark can tell the cost of the pattern from the cost of pliv.
//
//   floor PORT PATH FILE
//
// Connects to 127.0.0.1:PORT, sends the very request bytes pliv sends for PATH, receives 1024
// bytes at a time into a buffer grown with realloc, writes one progress line per received block
// of the body (the same text pliv shows, formatted with integer arithmetic only), and writes the
// body to FILE in one piece after the server has closed. Standard output follows pliv's rule:
// on a terminal each line goes out at once in one write (carriage return, erase to the end of
// the row, the text); to a file or pipe it passes through a 128-byte buffer.
//
// Sockets, clock, file and standard output are pliv's own platform calls, thin wrappers of the
// system's, so that the same client builds for Windows (Winsock) and POSIX.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "platform/clock.h"
#include "platform/files.h"
#include "platform/sockets.h"
#include "platform/stdio.h"

namespace {

constexpr int kBlockSize = 1024;

bool terminal = false;
char outBuffer[128];
std::size_t outUsed = 0;

void WriteAll(const char* data, std::size_t size) {
  int error = 0;
  if (!platform::WriteStandardOutput(data, size, error)) std::exit(3);
}

void PassOn() {
  WriteAll(outBuffer, outUsed);
  outUsed = 0;
}

void Out(const char* text, std::size_t size) {
  if (terminal) {
    WriteAll(text, size);
    return;
  }
  while (size > 0) {
    std::size_t n = sizeof outBuffer - outUsed < size ? sizeof outBuffer - outUsed : size;
    std::memcpy(outBuffer + outUsed, text, n);
    outUsed += n;
    text += n;
    size -= n;
    if (outUsed == sizeof outBuffer) PassOn();
  }
}

char* PutUnsigned(char* p, std::uint64_t value) {
  char digits[20];
  int n = 0;
  do {
    digits[n++] = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value != 0);
  while (n > 0) *p++ = digits[--n];
  return p;
}

char* PutText(char* p, const char* text) {
  std::size_t n = std::strlen(text);
  std::memcpy(p, text, n);
  return p + n;
}

// hundredths, rounded half up: numerator / denominator with two decimals.
char* PutFixed2(char* p, std::uint64_t numerator, std::uint64_t denominator) {
  std::uint64_t hundredths = (numerator * 200 / denominator + 1) / 2;
  p = PutUnsigned(p, hundredths / 100);
  *p++ = '.';
  *p++ = static_cast<char>('0' + hundredths / 10 % 10);
  *p++ = static_cast<char>('0' + hundredths % 10);
  return p;
}

void Progress(std::uint64_t received, long declared, std::uint32_t elapsedMs) {
  char line[160];
  char* p = line;
  if (terminal) p = PutText(p, "\r\x1b[K");
  p = PutText(p, "Downloading ");
  p = PutUnsigned(p, received);
  if (declared <= 0) {
    p = PutText(p, " of UnKnown Size");
  } else {
    p = PutText(p, " of ");
    p = PutUnsigned(p, static_cast<std::uint64_t>(declared));
    p = PutText(p, " (");
    p = PutFixed2(p, received * 100, static_cast<std::uint64_t>(declared));
    p = PutText(p, "%) Speed ");
    p = PutFixed2(p, received, std::uint64_t{elapsedMs} + 1);
    p = PutText(p, " Kb/s ");
    p = PutFixed2(p, elapsedMs, 1000);
    p = PutText(p, " seconds passed");
  }
  Out(line, static_cast<std::size_t>(p - line));
}

struct Buffer {
  char* data = nullptr;
  std::size_t size = 0;
  std::size_t capacity = 0;

  void Append(const char* bytes, std::size_t count) {
    if (size + count > capacity) {
      std::size_t wanted = capacity < 4096 ? 4096 : capacity * 2;
      while (wanted < size + count) wanted *= 2;
      data = static_cast<char*>(std::realloc(data, wanted));
      if (!data) std::exit(4);
      capacity = wanted;
    }
    std::memcpy(data + size, bytes, count);
    size += count;
  }
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: floor PORT PATH FILE\n");
    return 2;
  }
  terminal = platform::StandardOutputKind() == platform::StdKind::Console;

  std::uint32_t loopback = 0;
  platform::SocketHandle fd = platform::kNoSocket;
  if (platform::StartSockets()) fd = platform::CreateTcpSocket();
  if (fd == platform::kNoSocket || !platform::ConvertAddress("127.0.0.1", loopback) ||
      !platform::ConnectSocket(fd, loopback, static_cast<std::uint16_t>(std::atoi(argv[1])))) {
    std::fprintf(stderr, "floor: cannot connect\n");
    return 1;
  }
  char request[2048];
  int requestSize =
      std::snprintf(request, sizeof request,
                    "GET %s HTTP/1.0\r\nAccept: */*\r\nUser-Agent: Pliv 1.0 compatible\r\n\r\n", argv[2]);
  platform::SendBytes(fd, request, requestSize);

  // Headers and body share one buffer: the body starts behind the empty line.
  Buffer buffer;
  char block[kBlockSize];
  std::size_t bodyStart = 0;
  int n;
  while ((n = platform::ReceiveBytes(fd, block, kBlockSize)) > 0) {
    std::size_t from = buffer.size >= 3 ? buffer.size - 3 : 0;
    buffer.Append(block, static_cast<std::size_t>(n));
    std::size_t end = std::string_view(buffer.data, buffer.size).find("\r\n\r\n", from);
    if (end != std::string_view::npos) {
      bodyStart = end + 4;
      break;
    }
  }
  if (bodyStart == 0) return 1;
  long declared = -1;
  buffer.data[bodyStart - 1] = '\0';
  if (const char* field = std::strstr(buffer.data, "Content-Length:")) declared = std::atol(field + 15);
  std::uint32_t start = platform::TickCount();

  do {
    n = platform::ReceiveBytes(fd, block, kBlockSize);
    if (n > 0) buffer.Append(block, static_cast<std::size_t>(n));
    Progress(buffer.size - bodyStart, declared, platform::TickCount() - start);
  } while (n > 0);
  platform::ShutdownSending(fd);
  platform::CloseSocket(fd);

  std::size_t bodySize = buffer.size - bodyStart;
  if (declared > 0 && bodySize > static_cast<std::size_t>(declared))
    bodySize = static_cast<std::size_t>(declared);
  platform::FileHandle file = platform::OpenForWriting(argv[3]);
  if (file == platform::kNoFile || !platform::WriteToFile(file, buffer.data + bodyStart, bodySize) ||
      !platform::CutFileHere(file) || !platform::CloseFile(file))
    return 1;

  char closing[64];
  int closingSize = std::snprintf(closing, sizeof closing, "\r\n\t%llu byte(s) downloaded -> ",
                                  static_cast<unsigned long long>(bodySize));
  Out(closing, static_cast<std::size_t>(closingSize));
  Out(argv[3], std::strlen(argv[3]));
  Out("\r\n", 2);
  if (!terminal) PassOn();
  std::free(buffer.data);
  return 0;
}
