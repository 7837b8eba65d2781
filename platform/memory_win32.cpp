// Memory for the body on Windows: address space is reserved once and committed in steps as the
// body grows (VirtualAlloc), so growing never copies the bytes and the memory taken stays the
// body plus one step. Only a body that outgrows its reservation is copied, once, into a larger
// one.
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <initializer_list>

#include "platform/memory.h"

namespace platform {

namespace {

// Memory is committed this much at a time: the most the block takes beyond its bytes.
constexpr std::size_t kCommitStep = std::size_t{1} << 20;
// Reservations start on multiples of the allocation granularity and are made in it.
constexpr std::size_t kGranularity = 64 * 1024;
// Commits are made in whole pages (4 KiB on x86 and x64).
constexpr std::size_t kPage = 4096;

// size rounded up to a multiple of unit (a power of two); 0 when that does not fit.
std::size_t RoundUp(std::size_t size, std::size_t unit) {
  if (size > SIZE_MAX - (unit - 1)) return 0;
  return (size + unit - 1) & ~(unit - 1);
}

// What to commit for size bytes of a block that holds reserved bytes: up to the next step, within
// the reservation (size is at most reserved).
std::size_t StepAhead(std::size_t size, std::size_t reserved) {
  std::size_t step = RoundUp(size, kCommitStep);
  return step == 0 || step > reserved ? reserved : step;
}

char* ReserveSpace(std::size_t size) {
  return static_cast<char*>(VirtualAlloc(nullptr, size, MEM_RESERVE, PAGE_NOACCESS));
}

bool Commit(char* bytes, std::size_t size) {
  return VirtualAlloc(bytes, size, MEM_COMMIT, PAGE_READWRITE) != nullptr;
}

// Moves the block into the fresh reservation at bytes: commits usable bytes there, copies the
// first keep bytes and releases the old reservation. False, with the fresh one released, when
// the memory cannot be committed.
bool MoveTo(GrowingBlock& block, char* bytes, std::size_t reserved, std::size_t usable, std::size_t keep) {
  if (usable > 0 && !Commit(bytes, usable)) {
    VirtualFree(bytes, 0, MEM_RELEASE);
    return false;
  }
  if (keep > 0) std::memcpy(bytes, block.bytes, keep);
  if (block.bytes != nullptr) VirtualFree(block.bytes, 0, MEM_RELEASE);
  block = {bytes, usable, reserved};
  return true;
}

}  // namespace

bool GrowBlock(GrowingBlock& block, std::size_t size, std::size_t keep) {
  if (size <= block.usable) return true;
  if (size <= block.reserved) {
    // One step ahead, or only the pages needed when the step cannot be had. Only the pages
    // behind the committed ones are committed, so each step costs the same.
    for (std::size_t target : {StepAhead(size, block.reserved), RoundUp(size, kPage)}) {
      if (Commit(block.bytes + block.usable, target - block.usable)) {
        block.usable = target;
        return true;
      }
    }
    return false;
  }
  // The held address space is used up: a larger reservation elsewhere, and one copy.
  std::size_t needed = RoundUp(size, kGranularity);
  if (needed == 0) return false;
  std::size_t doubled = block.reserved <= SIZE_MAX / 2 ? block.reserved * 2 : 0;
  for (std::size_t reserved : {doubled > needed ? doubled : needed, needed}) {
    char* bytes = ReserveSpace(reserved);
    if (bytes != nullptr && MoveTo(block, bytes, reserved, StepAhead(size, reserved), keep)) return true;
    if (reserved == needed) break;
  }
  return false;
}

bool HoldAddressSpace(GrowingBlock& block, std::size_t size, std::size_t keep) {
  // All of size, or else the largest piece the address space has, found by halving the
  // difference between a size that fits and one that does not. The committed bytes come along.
  std::size_t wanted = RoundUp(size, kGranularity);
  if (wanted <= block.reserved) return false;
  if (char* bytes = ReserveSpace(wanted)) return MoveTo(block, bytes, wanted, block.usable, keep);
  std::size_t fits = block.reserved, fails = wanted;
  while (fails - fits > kGranularity) {
    std::size_t middle = (fits + (fails - fits) / 2) & ~(kGranularity - 1);
    if (char* bytes = ReserveSpace(middle)) {
      VirtualFree(bytes, 0, MEM_RELEASE);
      fits = middle;
    } else {
      fails = middle;
    }
  }
  if (fits <= block.reserved) return false;
  char* bytes = ReserveSpace(fits);
  return bytes != nullptr && MoveTo(block, bytes, fits, block.usable, keep);
}

void FreeBlock(GrowingBlock& block) {
  if (block.bytes != nullptr) VirtualFree(block.bytes, 0, MEM_RELEASE);
  block = {};
}

}  // namespace platform
