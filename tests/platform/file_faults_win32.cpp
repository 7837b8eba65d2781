// Windows offers the tests no file whose close or cut fails.
#include "tests/platform/file_faults.h"

namespace test_platform {

bool FailNextCloseOf(const std::string&) {
  return false;
}

std::optional<std::string> FileThatCannotShrink(const std::string&) {
  return std::nullopt;
}

}  // namespace test_platform
