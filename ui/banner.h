// The coloured block of lines every run opens with.
#pragma once

#include <string_view>

void ShowBanner(std::string_view title);
