// Host address resolution.
#include "net/resolve.h"

#include "platform/sockets.h"
#include "request/text.h"

bool IsAddressText(std::string_view host) {
  if (host.size() < 7) return false;
  std::string digits;
  for (char c : host)
    if (c != '.') digits += c;
  return IsAllDigits(digits);
}

std::string ResolveHost(const std::string& host) {
  if (host.empty()) return {};
  if (IsAddressText(host)) return host;
  if (!platform::StartSockets()) return {};
  return platform::LookupHostAddress(host);
}
