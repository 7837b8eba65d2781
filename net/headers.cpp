// Header lines of a response.
#include "net/headers.h"

#include "request/text.h"

namespace {

char LowerAscii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
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
