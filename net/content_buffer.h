// The received body: one block of memory that grows at its end (platform/memory.h). It grows
// without its bytes being copied: the C library remaps a large block's pages (glibc's mremap),
// and on Windows the block grows within address space held for it beforehand, so the body is
// never held twice while it grows.
#pragma once

#include <cstddef>
#include <string_view>

#include "platform/memory.h"

class ContentBuffer {
 public:
  ContentBuffer() = default;
  explicit ContentBuffer(std::string_view bytes);
  ContentBuffer(const ContentBuffer& other);
  ContentBuffer(ContentBuffer&& other) noexcept;
  ContentBuffer& operator=(ContentBuffer other) noexcept;
  ~ContentBuffer();

  // Read like a std::string.
  const char* data() const { return block_.bytes; }
  std::size_t size() const { return size_; }
  std::size_t capacity() const { return block_.usable; }
  bool empty() const { return size_ == 0; }
  std::string_view View() const { return {block_.bytes, size_}; }

  // Makes room for at least capacity bytes; false, with nothing changed, when memory is exhausted.
  bool Reserve(std::size_t capacity);
  // Holds address space for growing in place up to expected bytes, where that costs no memory
  // (Windows), as much of it as there is; false, with nothing changed, where it cannot.
  bool HoldAddressSpace(std::size_t expected);
  // Appends count bytes; false, with nothing changed, when memory is exhausted.
  bool Append(const char* bytes, std::size_t count);

 private:
  platform::GrowingBlock block_;
  std::size_t size_ = 0;
};

bool operator==(const ContentBuffer& content, std::string_view bytes);
