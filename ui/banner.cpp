// The banner: eight lines in light green on the console's own background.
#include "ui/banner.h"

#include "app/output.h"
#include "crt32/crt32.h"

namespace {

constexpr std::uint8_t kLightGreen = 10;
constexpr std::string_view kRule = "------------------------------------------------";

}  // namespace

void ShowBanner(std::string_view title) {
  std::uint16_t saved = GetTextAttribute();
  SetTextColor(kLightGreen);
  WriteLine(kRule);
  WriteLine(title);
  WriteLine("Copyright (c) Pliv authors");
  WriteLine("");
  WriteLine("");
  WriteLine("");
  WriteLine("More tools: https://www.example.com/tools");
  WriteLine(kRule);
  // Each line is on a console's screen already, so only the banner shows in green.
  SetTextColor(static_cast<std::uint8_t>(saved & 0xFF));
}
