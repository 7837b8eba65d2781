// The user's locale on POSIX, read without touching the C library's global locale.
#include <langinfo.h>
#include <locale.h>
#include <cstring>

#include "platform/locale.h"

namespace platform {

char LocaleDecimalSeparator() {
  locale_t user = ::newlocale(LC_NUMERIC_MASK, "", static_cast<locale_t>(0));
  if (user == static_cast<locale_t>(0)) return '.';
  const char* radix = ::nl_langinfo_l(RADIXCHAR, user);
  char separator = (radix != nullptr && std::strlen(radix) == 1) ? radix[0] : '.';
  ::freelocale(user);
  return separator;
}

}  // namespace platform
