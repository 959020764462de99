#include "convert/buffer_arena.h"

#include <sys/mman.h>

#include <cstdint>

namespace arl {

namespace {
constexpr std::size_t kHugePage = 2 << 20;
}

BufferArena::BufferArena(std::size_t bytes) {
  if (bytes == 0) return;
  mapSize_ = bytes + kHugePage;
  void* map = ::mmap(nullptr, mapSize_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (map == MAP_FAILED) {
    mapSize_ = 0;
    return;
  }
  map_ = map;
  // Align within the mapping by offset, keeping pointer provenance (no integer-to-pointer cast).
  const auto address = reinterpret_cast<std::uintptr_t>(map);
  const std::size_t skip = (kHugePage - address % kHugePage) % kHugePage;
  next_ = static_cast<char*>(map) + skip;
  end_ = next_ + bytes;
#ifdef MADV_HUGEPAGE
  ::madvise(next_, bytes, MADV_HUGEPAGE);  // a hint: without it the block is ordinary memory
#endif
}

BufferArena::~BufferArena() {
  if (map_ != nullptr) ::munmap(map_, mapSize_);
}

char* BufferArena::Take(std::size_t bytes) {
  bytes = (bytes + 63) & ~std::size_t{63};
  if (next_ == nullptr || static_cast<std::size_t>(end_ - next_) < bytes) return nullptr;
  char* block = next_;
  next_ += bytes;
  return block;
}

}  // namespace arl
