// Host address resolution: the Host of the request turned into dotted IPv4 address text.
#pragma once

#include <string>
#include <string_view>

// True when the host text is used as an address without a name lookup: at least 7 bytes,
// and nothing but digits once the points are removed.
bool IsAddressText(std::string_view host);
// The dotted address text for the host: address text unchanged, otherwise the first IPv4
// address the resolver lists; empty when there is none.
std::string ResolveHost(const std::string& host);
