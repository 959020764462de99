#pragma once
// How the merge paces its copying: the size of one copied block and how often the window is kept
// alive. Tests shrink the block and replace the clock to cancel at a chosen point.
#include <chrono>
#include <cstddef>
#include <functional>

namespace arl {

struct CopyTuning {
  // Bytes read per block; each block is written up to its last whole line.
  std::size_t blockBytes = std::size_t{1} << 20;
  // Longest stretch of work between two pumps of the window outside the block copy.
  std::chrono::milliseconds pumpEvery{50};
  // The clock that measures that stretch; a steady clock unless a test replaces it.
  std::function<std::chrono::steady_clock::time_point()> clock;
};

}  // namespace arl
