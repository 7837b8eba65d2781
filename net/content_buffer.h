// The received body: one block of memory grown with realloc. A large block then grows in place or
// is moved by the C library without copying its bytes (glibc remaps its pages), so the body is
// never held twice while it grows.
#pragma once

#include <cstddef>
#include <string_view>

class ContentBuffer {
 public:
  ContentBuffer() = default;
  explicit ContentBuffer(std::string_view bytes);
  ContentBuffer(const ContentBuffer& other);
  ContentBuffer(ContentBuffer&& other) noexcept;
  ContentBuffer& operator=(ContentBuffer other) noexcept;
  ~ContentBuffer();

  // Read like a std::string.
  const char* data() const { return bytes_; }
  std::size_t size() const { return size_; }
  std::size_t capacity() const { return capacity_; }
  bool empty() const { return size_ == 0; }
  std::string_view View() const { return {bytes_, size_}; }

  // Makes room for at least capacity bytes; false, with nothing changed, when memory is exhausted.
  bool Reserve(std::size_t capacity);
  // Appends count bytes, at least doubling the room when it runs out; false, with nothing
  // changed, when memory is exhausted.
  bool Append(const char* bytes, std::size_t count);
  // Keeps the first count bytes; a count beyond the size changes nothing.
  void CutTo(std::size_t count);

 private:
  char* bytes_ = nullptr;
  std::size_t size_ = 0;
  std::size_t capacity_ = 0;
};

bool operator==(const ContentBuffer& content, std::string_view bytes);
