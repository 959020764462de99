#pragma once
// How the merge paces its copying: the size of one copied block and how often its status text is
// shown. Tests shrink the block to cancel at a chosen point.
#include <chrono>
#include <cstddef>
#include <functional>

namespace arl {

struct CopyTuning {
  // Bytes read per block; each block is written up to its last whole line.
  std::size_t blockBytes = std::size_t{1} << 20;
  // Shortest time between two status texts.
  std::chrono::milliseconds statusEvery{50};
  // The clock that measures it; a steady clock unless a test replaces it.
  std::function<std::chrono::steady_clock::time_point()> clock;
};

}  // namespace arl
