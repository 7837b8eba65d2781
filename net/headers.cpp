// Header lines of a response.
#include "net/headers.h"

#include "request/text.h"

namespace {

char LowerAscii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

// The number of bytes of text from at on that pass test.
std::size_t CountWhile(std::string_view text, std::size_t at, bool (*test)(char)) {
  std::size_t end = at;
  while (end < text.size() && test(text[end])) ++end;
  return end - at;
}

bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  return true;
}

}  // namespace

std::string GetHeaderValue(std::string_view name, std::string_view headerText) {
  // Lines are walked as views rather than cut off a copy of the rest, so a header block of
  // many lines costs linear time.
  std::string trimmed = TrimBlanks(headerText);
  std::string_view work = trimmed;
  for (;;) {
    std::size_t end = work.find("\r\n");
    std::string_view line = work.substr(0, end);
    // Matching the whole field name, not any line that merely contains it: an
    // "X-Content-Length-Note" line before the real one must not decide the body length.
    std::size_t colon = line.find(':');
    if (colon != std::string_view::npos && EqualIgnoringAsciiCase(TrimBlanks(line.substr(0, colon)), name))
      return TrimBlanks(line.substr(colon + 1));
    if (end == std::string_view::npos) return {};
    work.remove_prefix(end + 2);
  }
}

bool ReadStatusLine(std::string_view headerText, StatusLine& status) {
  status = StatusLine();
  const std::string_view line = headerText.substr(0, headerText.find("\r\n"));
  constexpr std::string_view kProtocol = "HTTP/";
  if (!line.starts_with(kProtocol)) return false;
  std::size_t at = kProtocol.size();
  std::size_t n = CountWhile(line, at, IsDigit);
  if (n == 0 || at + n == line.size() || line[at + n] != '.') return false;
  at += n + 1;
  n = CountWhile(line, at, IsDigit);
  if (n == 0) return false;
  at += n;
  n = CountWhile(line, at, IsBlank);
  if (n == 0) return false;
  at += n;
  // Exactly three digits: "40" and "4040" are no status codes.
  if (CountWhile(line, at, IsDigit) != 3) return false;
  const int code = (line[at] - '0') * 100 + (line[at + 1] - '0') * 10 + (line[at + 2] - '0');
  at += 3;
  if (at < line.size() && !IsBlank(line[at])) return false;
  std::string_view reason = line.substr(at);
  reason.remove_prefix(CountWhile(reason, 0, IsBlank));
  while (!reason.empty() && IsBlank(reason.back())) reason.remove_suffix(1);
  status.Code = code;
  status.Reason = reason;
  return true;
}

std::string PrintableText(std::string_view text, std::size_t most) {
  std::string printable(text.substr(0, most));
  for (char& c : printable) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 32 || byte > 126) c = '?';
  }
  return printable;
}
