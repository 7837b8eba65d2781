// The integer conversion rule: decimal or $/x/0x hexadecimal, 32-bit signed.
#pragma once

#include <cstdint>
#include <string_view>

bool TryParseInt(std::string_view text, std::int32_t& value);
// As TryParseInt; raises EConvertError when the text does not convert.
std::int32_t ParseInt(std::string_view text);
