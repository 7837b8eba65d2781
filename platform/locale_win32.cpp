// The user's locale on Windows.
#include <windows.h>

#include "platform/locale.h"

namespace platform {

char LocaleDecimalSeparator() {
  // Room for one character and its terminator: a longer symbol fails the call.
  char buffer[2] = {0, 0};
  if (GetLocaleInfoA(GetThreadLocale(), LOCALE_SDECIMAL, buffer, 2) == 0 || buffer[0] == 0) return '.';
  return buffer[0];
}

}  // namespace platform
