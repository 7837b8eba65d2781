// Memory for the body: one block of bytes that grows at its end, without its bytes being
// copied where the system allows it.
#pragma once

#include <cstddef>

namespace platform {

struct GrowingBlock {
  char* bytes = nullptr;
  std::size_t usable = 0;    // bytes from `bytes` on that may be read and written
  std::size_t reserved = 0;  // address space held from `bytes` on; 0 where the system holds none
};

// Makes at least size bytes usable, keeping the first keep bytes; false, with the block
// unchanged, when the memory cannot be had. Growing by one small step after another stays cheap:
// the block grows ahead of size (C library), or within address space it already holds (Windows).
bool GrowBlock(GrowingBlock& block, std::size_t size, std::size_t keep);
// Holds address space for a block of up to size bytes without taking memory for it, as much of it
// as the address space gives, so that the block then grows in place; keeps the first keep bytes.
// False, with the block unchanged, where the system cannot (POSIX) or nothing more was held.
bool HoldAddressSpace(GrowingBlock& block, std::size_t size, std::size_t keep);
// Gives the block back; it is empty afterwards.
void FreeBlock(GrowingBlock& block);

}  // namespace platform
