#pragma once
// PartFence: where the front part of a day file ends, while the front part is being converted. The
// helper thread, once done with the back of the file, moves the fence toward the front to take over
// half of what the front thread has left, so that the two threads end together. The front thread
// claims how far each piece may read before reading it, and the fence only ever moves to a place at
// or behind every claim: no line the front thread has converted is taken from it.
#include <cstdint>
#include <mutex>

namespace arl {

class PartFence {
 public:
  explicit PartFence(std::int64_t until) : until_(until) {}

  // Front thread, before reading up to `reach`: the end of its part as it stands now.
  std::int64_t Claim(std::int64_t reach);
  // Front thread: its part is converted, nothing more can be taken.
  void Close();
  // Helper thread: moves the end of the front part from `end` to the middle of what the front
  // thread has not claimed yet, when each half would be `least` bytes or more. Returns the new end,
  // or -1 when nothing was taken.
  std::int64_t Split(std::int64_t end, std::int64_t least);
  std::int64_t Until();  // where the front part ends now

 private:
  std::mutex mutex_;
  std::int64_t until_;
  std::int64_t claimed_ = 0;
  bool closed_ = false;
};

}  // namespace arl
