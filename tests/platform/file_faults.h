// Files whose last steps fail, for the save's error paths: the product's own calls on a real file.
#pragma once

#include <optional>
#include <string>

namespace test_platform {

// Makes the next close of the file at path fail (the descriptor is closed all the same, as NFS or
// a quota can report at the close); false where the tests cannot make a close fail.
bool FailNextCloseOf(const std::string& path);
// A name of a real file that holds content and refuses to be made shorter; none where the system
// has no such file.
std::optional<std::string> FileThatCannotShrink(const std::string& content);

}  // namespace test_platform
