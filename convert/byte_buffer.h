#pragma once
// ByteBuffer: a growable byte array for the conversion's output lines. Unlike std::string it never
// fills bytes it is about to overwrite, and it copies the short pieces of a year-file line with a few
// word moves instead of a library call per piece. Allocation failure raises std::bad_alloc.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string_view>
#include <utility>

namespace arl {

class ByteBuffer {
 public:
  ByteBuffer() = default;
  ~ByteBuffer() {
    if (owned_) std::free(data_);
  }
  ByteBuffer(const ByteBuffer&) = delete;
  ByteBuffer& operator=(const ByteBuffer&) = delete;

  char* data() { return data_; }
  const char* data() const { return data_; }
  std::size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  std::string_view view() const { return {data_, size_}; }

  // Makes room for `more` bytes after the end and returns where they go; Commit(n) keeps n of them.
  char* Room(std::size_t more) {
    if (capacity_ - size_ < more) Grow(size_ + more);
    return data_ + size_;
  }
  void Commit(std::size_t n) { size_ += n; }
  void Reserve(std::size_t capacity) {
    if (capacity > capacity_) Grow(capacity);
  }
  // Uses memory owned by someone else (it must outlive the buffer) while it is big enough.
  void Adopt(char* memory, std::size_t capacity) {
    if (size_ > capacity) return;
    if (size_ > 0) std::memcpy(memory, data_, size_);
    if (owned_) std::free(data_);
    data_ = memory;
    capacity_ = capacity;
    owned_ = false;
  }
  void Swap(ByteBuffer& other) noexcept {
    std::swap(data_, other.data_);
    std::swap(size_, other.size_);
    std::swap(capacity_, other.capacity_);
    std::swap(owned_, other.owned_);
  }
  void Append(std::string_view s) {
    CopyShort(Room(s.size()), s.data(), s.size());
    size_ += s.size();
  }
  void Shrink(std::size_t n) {
    if (n < size_) size_ = n;
  }
  void Clear() { size_ = 0; }
  void EraseFront(std::size_t n) {
    std::memmove(data_, data_ + n, size_ - n);
    size_ -= n;
  }
  void InsertFront(std::string_view s) {
    Room(s.size());
    std::memmove(data_ + s.size(), data_, size_);
    std::memcpy(data_, s.data(), s.size());
    size_ += s.size();
  }

  // Copies n bytes; pieces of a line are short, and overlapping word moves beat a call for them.
  static void CopyShort(char* to, const char* from, std::size_t n) {
    if (n >= 8 && n <= 32) {
      std::uint64_t a, b, c, d;
      std::memcpy(&a, from, 8);
      std::memcpy(&d, from + n - 8, 8);
      if (n > 16) {
        std::memcpy(&b, from + 8, 8);
        std::memcpy(&c, from + n - 16, 8);
        std::memcpy(to + 8, &b, 8);
        std::memcpy(to + n - 16, &c, 8);
      }
      std::memcpy(to, &a, 8);
      std::memcpy(to + n - 8, &d, 8);
    } else if (n < 8) {
      for (std::size_t i = 0; i < n; ++i) to[i] = from[i];
    } else {
      std::memcpy(to, from, n);
    }
  }

 private:
  void Grow(std::size_t need) {
    std::size_t cap = capacity_ < 4096 ? 4096 : capacity_ * 2;
    while (cap < need) cap *= 2;
    void* p = owned_ ? std::realloc(data_, cap) : std::malloc(cap);
    if (p == nullptr) throw std::bad_alloc();
    if (!owned_ && size_ > 0) std::memcpy(p, data_, size_);
    owned_ = true;
    data_ = static_cast<char*>(p);
    capacity_ = cap;
  }

  char* data_ = nullptr;
  std::size_t size_ = 0, capacity_ = 0;
  bool owned_ = true;
};

}  // namespace arl
