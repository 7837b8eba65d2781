// The status line: one console row rewritten in place.
#pragma once

#include <string_view>

// Replaces the text of the cursor's row with message; the cursor stays behind the message.
void ShowStatus(std::string_view message);
