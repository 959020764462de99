#include "convert/part_fence.h"

namespace arl {

std::int64_t PartFence::Claim(std::int64_t reach) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (reach > claimed_) claimed_ = reach;
  return until_;
}

void PartFence::Close() {
  std::lock_guard<std::mutex> lock(mutex_);
  closed_ = true;
}

std::int64_t PartFence::Split(std::int64_t end, std::int64_t least) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (closed_ || end != until_ || end - claimed_ < 2 * least) return -1;
  until_ = claimed_ + (end - claimed_) / 2;
  return until_;
}

std::int64_t PartFence::Until() {
  std::lock_guard<std::mutex> lock(mutex_);
  return until_;
}

}  // namespace arl
