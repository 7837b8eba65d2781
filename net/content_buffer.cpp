// The body buffer.
#include "net/content_buffer.h"

#include <cstring>
#include <new>
#include <utility>

ContentBuffer::ContentBuffer(std::string_view bytes) {
  if (!Append(bytes.data(), bytes.size())) throw std::bad_alloc();
}

ContentBuffer::ContentBuffer(const ContentBuffer& other) : ContentBuffer(other.View()) {}

ContentBuffer::ContentBuffer(ContentBuffer&& other) noexcept
    : block_(std::exchange(other.block_, {})), size_(std::exchange(other.size_, 0)) {}

ContentBuffer& ContentBuffer::operator=(ContentBuffer other) noexcept {
  std::swap(block_, other.block_);
  std::swap(size_, other.size_);
  return *this;
}

ContentBuffer::~ContentBuffer() {
  platform::FreeBlock(block_);
}

bool ContentBuffer::Reserve(std::size_t capacity) {
  return platform::GrowBlock(block_, capacity, size_);
}

bool ContentBuffer::HoldAddressSpace(std::size_t expected) {
  return platform::HoldAddressSpace(block_, expected, size_);
}

bool ContentBuffer::Append(const char* bytes, std::size_t count) {
  if (count == 0) return true;
  std::size_t needed = size_ + count;
  if (needed < size_) return false;  // the sum wrapped
  if (!platform::GrowBlock(block_, needed, size_)) return false;
  std::memcpy(block_.bytes + size_, bytes, count);
  size_ = needed;
  return true;
}

bool operator==(const ContentBuffer& content, std::string_view bytes) {
  return content.View() == bytes;
}
