#pragma once
// BufferArena: one block of memory carved into the per-ticker output buffers of a conversion call.
// Touching fresh memory page by page is a large share of the conversion's time on some machines; one
// block asked for in huge pages is touched in a few faults. Where huge pages are not to be had it
// is ordinary memory. Take() returns nullptr once the block is used up (the buffer then allocates
// on its own); the block is released with the arena, so it must outlive the buffers.
#include <cstddef>

namespace arl {

class BufferArena {
 public:
  explicit BufferArena(std::size_t bytes);
  ~BufferArena();
  BufferArena(const BufferArena&) = delete;
  BufferArena& operator=(const BufferArena&) = delete;

  char* Take(std::size_t bytes);

 private:
  void* map_ = nullptr;
  std::size_t mapSize_ = 0;
  char* next_ = nullptr;
  char* end_ = nullptr;
};

}  // namespace arl
