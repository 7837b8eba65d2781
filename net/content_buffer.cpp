// The body buffer.
#include "net/content_buffer.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>

namespace {

// The first growth: four blocks of the transfer.
constexpr std::size_t kFirstCapacity = 4096;

}  // namespace

ContentBuffer::ContentBuffer(std::string_view bytes) {
  if (!Append(bytes.data(), bytes.size())) throw std::bad_alloc();
}

ContentBuffer::ContentBuffer(const ContentBuffer& other) : ContentBuffer(other.View()) {}

ContentBuffer::ContentBuffer(ContentBuffer&& other) noexcept
    : bytes_(std::exchange(other.bytes_, nullptr)),
      size_(std::exchange(other.size_, 0)),
      capacity_(std::exchange(other.capacity_, 0)) {}

ContentBuffer& ContentBuffer::operator=(ContentBuffer other) noexcept {
  std::swap(bytes_, other.bytes_);
  std::swap(size_, other.size_);
  std::swap(capacity_, other.capacity_);
  return *this;
}

ContentBuffer::~ContentBuffer() {
  std::free(bytes_);
}

bool ContentBuffer::Reserve(std::size_t capacity) {
  if (capacity <= capacity_) return true;
  void* grown = std::realloc(bytes_, capacity);
  if (grown == nullptr) return false;
  bytes_ = static_cast<char*>(grown);
  capacity_ = capacity;
  return true;
}

bool ContentBuffer::Append(const char* bytes, std::size_t count) {
  if (count == 0) return true;
  if (count > capacity_ - size_) {
    std::size_t needed = size_ + count;
    if (needed < size_) return false;  // the sum wrapped
    std::size_t doubled = capacity_ < kFirstCapacity ? kFirstCapacity : capacity_ * 2;
    // A doubled room that cannot be had may still leave room for what is needed.
    if (!Reserve(doubled > needed ? doubled : needed) && !Reserve(needed)) return false;
  }
  std::memcpy(bytes_ + size_, bytes, count);
  size_ += count;
  return true;
}

void ContentBuffer::CutTo(std::size_t count) {
  if (count < size_) size_ = count;
}

bool operator==(const ContentBuffer& content, std::string_view bytes) {
  return content.View() == bytes;
}
