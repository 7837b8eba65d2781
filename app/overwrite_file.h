// Writing a body over what an open file held before, so that a full disk never damages it.
#pragma once

#include <cstddef>

#include "platform/files.h"

// Writes size bytes over the file's old content and cuts the file behind them. The part of the
// body that lies beyond the old end goes first: it is the only part that needs new space. When it
// does not fit, the file is cut back to its old length with none of its old bytes touched (a file
// that was empty stays empty) and the result is false. False as well when a later step fails;
// the file then holds a mixture of old and new bytes.
bool OverwriteFile(platform::FileHandle file, const char* data, std::size_t size);
