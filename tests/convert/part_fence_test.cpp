// PartFence: the helper thread takes half of what the front thread has not claimed, never a byte
// the front thread may already be reading, and nothing once the front part is closed.
#include "convert/part_fence.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

namespace arl {
namespace {

TEST(PartFence, SplitsWhatIsUnclaimedAndNeverMovesBehindAClaim) {
  PartFence fence(1000);
  EXPECT_EQ(fence.Claim(100), 1000);
  EXPECT_EQ(fence.Split(1000, 200), 550);  // half of the 900 unclaimed bytes
  EXPECT_EQ(fence.Until(), 550);
  EXPECT_EQ(fence.Split(1000, 1), -1) << "an end that is no longer the fence";
  EXPECT_EQ(fence.Claim(50), 550);       // a shorter claim does not give bytes back
  EXPECT_EQ(fence.Split(550, 226), -1);  // 450 unclaimed: halves under 226 bytes
  EXPECT_EQ(fence.Split(550, 225), 325);
  EXPECT_EQ(fence.Claim(400), 325);  // a claim past the fence reads only up to it
  EXPECT_EQ(fence.Split(325, 1), -1);
  fence.Close();

  PartFence closed(1000);
  closed.Close();
  EXPECT_EQ(closed.Split(1000, 1), -1);
  EXPECT_EQ(closed.Until(), 1000);
}

// The front thread reads piece by piece up to the fence while the helper keeps taking from its
// end: between them they cover the file once, meeting at the fence.
TEST(PartFence, TwoThreadsMeetAtTheFence) {
  constexpr std::int64_t kSize = 1 << 16, kPiece = 256, kLeast = 128;
  for (int round = 0; round < 40; ++round) {
    PartFence fence(kSize * 3 / 4);
    std::int64_t frontEnd = 0;
    std::thread front([&] {
      for (;;) {
        const std::int64_t until = fence.Claim(frontEnd + kPiece);
        if (frontEnd >= until) break;
        frontEnd = std::min(frontEnd + kPiece, until);
        std::this_thread::yield();
      }
      fence.Close();
    });
    std::int64_t cut = kSize * 3 / 4;
    for (std::int64_t taken; (taken = fence.Split(cut, kLeast)) >= 0;) {
      EXPECT_LT(taken, cut);
      cut = taken;
    }
    front.join();
    EXPECT_EQ(frontEnd, fence.Until());
    EXPECT_EQ(cut, fence.Until());
  }
}

}  // namespace
}  // namespace arl
