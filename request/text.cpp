// Text helpers shared by the URL splitting and the header parsing.
#include "request/text.h"

#include "platform/process.h"

namespace {

bool IsBlank(char c) {
  return static_cast<unsigned char>(c) <= 32;
}

}  // namespace

std::string TrimBlanks(std::string_view text) {
  std::size_t first = 0;
  std::size_t last = text.size();
  while (first < last && IsBlank(text[first])) ++first;
  while (last > first && IsBlank(text[last - 1])) --last;
  return std::string(text.substr(first, last - first));
}

std::string CutToken(std::string& source, std::string_view delimiter) {
  const std::size_t at = source.find(delimiter);
  if (at == std::string::npos) return {};
  std::string token = TrimBlanks(std::string_view(source).substr(0, at));
  source.erase(0, at + delimiter.size());
  return token;
}

bool IsAllDigits(std::string_view text) {
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

const char* NextCharIn(const char* p, const char* end) {
  // The code page's step stops at a zero byte and may run past a lead byte at the very end;
  // texts here carry their length, so always move on and never beyond it.
  const char* next = platform::NextChar(p);
  if (next <= p) next = p + 1;
  return next < end ? next : end;
}
