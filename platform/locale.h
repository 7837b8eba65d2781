// The user's locale, as far as the program needs it.
#pragma once

namespace platform {

// The user's one-byte decimal symbol; '.' when it cannot be read or is longer than one byte.
char LocaleDecimalSeparator();

}  // namespace platform
