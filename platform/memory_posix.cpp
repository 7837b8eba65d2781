// Memory for the body on POSIX: realloc, which moves a large block by remapping its pages
// (glibc's mremap) rather than by copying its bytes.
#include <cstdlib>

#include "platform/memory.h"

namespace platform {

namespace {

// The first growth: four blocks of the transfer.
constexpr std::size_t kFirstSize = 4096;

bool Resize(GrowingBlock& block, std::size_t size) {
  void* grown = std::realloc(block.bytes, size);
  if (grown == nullptr) return false;
  block.bytes = static_cast<char*>(grown);
  block.usable = size;
  return true;
}

}  // namespace

bool GrowBlock(GrowingBlock& block, std::size_t size, std::size_t /*keep: realloc keeps all*/) {
  if (size <= block.usable) return true;
  // At least doubling keeps the number of moves small; a doubled size that cannot be had may
  // still leave room for what is needed.
  std::size_t doubled = block.usable < kFirstSize ? kFirstSize : block.usable * 2;
  if (doubled > size && Resize(block, doubled)) return true;
  return Resize(block, size);
}

bool HoldAddressSpace(GrowingBlock& /*block*/, std::size_t /*size*/, std::size_t /*keep*/) {
  return false;
}

void FreeBlock(GrowingBlock& block) {
  std::free(block.bytes);
  block = {};
}

}  // namespace platform
