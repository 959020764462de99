// The cancel token: a cancel from another thread wakes the wait that blocks now, a wait that starts
// after the cancel does not block at all, and Reset re-arms the token for the next run.
#include "support/cancel_token.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <thread>

namespace arl {
namespace {

// A wait like the page browser's: blocks until woken, with the waker registered meanwhile.
bool BlockUntilWoken(const CancelToken& token) {
  std::mutex m;
  std::condition_variable cv;
  bool woken = false;
  const CancelToken::Waker waker(token, [&] {
    std::lock_guard lock(m);
    woken = true;
    cv.notify_all();
  });
  std::unique_lock lock(m);
  return cv.wait_for(lock, std::chrono::seconds(10), [&] { return woken; });
}

TEST(CancelTokenTest, ACancelWakesTheBlockedWaitAndALaterWaitReturnsAtOnce) {
  CancelToken token;
  std::thread canceller([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    token.Cancel();
  });
  EXPECT_TRUE(BlockUntilWoken(token));
  canceller.join();
  EXPECT_TRUE(token.Cancelled());
  EXPECT_TRUE(BlockUntilWoken(token)) << "registered after the cancel: woken at once";

  token.Reset();
  EXPECT_FALSE(token.Cancelled());
  token.Cancel();  // no waker registered any more: nothing is called
  EXPECT_TRUE(token.Cancelled());
}

}  // namespace
}  // namespace arl
