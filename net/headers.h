// Header lines of a response.
#pragma once

#include <string>
#include <string_view>

// The trimmed value of the first header line whose field name (the text before its first
// ":", trimmed) equals name, ignoring ASCII case; empty when no line has that name.
std::string GetHeaderValue(std::string_view name, std::string_view headerText);
