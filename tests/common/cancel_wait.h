#pragma once
// A wait that blocks as the page browser's does: until the token's waker is called (a cancel, or a
// token cancelled already) or `limit` has passed. True when a cancel ended it.
#include <chrono>
#include <condition_variable>
#include <mutex>

#include "support/cancel_token.h"

namespace arl::test {

inline bool WaitForCancel(const CancelToken& token, std::chrono::milliseconds limit) {
  std::mutex m;
  std::condition_variable woken;
  bool cancelled = false;
  const CancelToken::Waker waker(token, [&] {
    std::lock_guard lock(m);
    cancelled = true;
    woken.notify_all();
  });
  std::unique_lock lock(m);
  return woken.wait_for(lock, limit, [&] { return cancelled; });
}

}  // namespace arl::test
