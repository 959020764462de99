// The cancel token: a cancel from another thread wakes the wait that blocks now, a wait that starts
// after the cancel does not block at all, and Reset re-arms the token for the next run.
#include "support/cancel_token.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "tests/common/cancel_wait.h"

namespace arl {
namespace {

// A wait like the page browser's, woken only by the cancel.
bool BlockUntilWoken(const CancelToken& token) {
  return test::WaitForCancel(token, std::chrono::seconds(10));
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
