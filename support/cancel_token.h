#pragma once
// CancelToken: a run's cancel request. Any thread may Cancel(); the run reads Cancelled() wherever a
// long loop may stop. A wait that blocks (a page load) holds a Waker for as long as it blocks, so
// that a cancel ends the wait at once rather than at its next time-out. Reset() re-arms the token for
// the next run. Nothing here raises.
#include <atomic>
#include <functional>
#include <mutex>

namespace arl {

class CancelToken {
 public:
  bool Cancelled() const {
    if (onCheck) onCheck();
    return cancelled_.load(std::memory_order_acquire);
  }
  // Sets the request and wakes the wait that blocks now, if any; on the cancelling thread.
  void Cancel();
  void Reset() { cancelled_.store(false, std::memory_order_release); }

  // Registers `wake` for its lifetime; a token cancelled already calls it at once. One at a time.
  class Waker {
   public:
    Waker(const CancelToken& token, std::function<void()> wake);
    ~Waker();
    Waker(const Waker&) = delete;
    Waker& operator=(const Waker&) = delete;

   private:
    const CancelToken& token_;
  };

  // Tests: called on the reading thread before every read, so that a test can cancel at the n-th.
  std::function<void()> onCheck;

 private:
  std::atomic<bool> cancelled_{false};
  mutable std::mutex mutex_;
  mutable std::function<void()> wake_;
};

}  // namespace arl
