#include "support/cancel_token.h"

#include <utility>

namespace arl {

void CancelToken::Cancel() {
  cancelled_.store(true, std::memory_order_release);
  std::lock_guard lock(mutex_);
  if (wake_) wake_();
}

CancelToken::Waker::Waker(const CancelToken& token, std::function<void()> wake) : token_(token) {
  std::lock_guard lock(token.mutex_);
  token.wake_ = std::move(wake);
  // A cancel that came before the registration finds no waker: wake now, the wait returns at once.
  if (token.cancelled_.load(std::memory_order_acquire)) token.wake_();
}

CancelToken::Waker::~Waker() {
  std::lock_guard lock(token_.mutex_);
  token_.wake_ = nullptr;
}

}  // namespace arl
