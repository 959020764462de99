#include "convert/pair_worker.h"

#include <algorithm>
#include <chrono>
#include <thread>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace arl {

namespace {
using Clock = std::chrono::steady_clock;

// Waits a little for `ready` to hold before going to sleep: the hand-overs of a conversion follow
// each other within tens of microseconds, less than waking a sleeping thread takes. With a single
// processor the other thread cannot run meanwhile, so there is no waiting busily.
template <typename Ready>
bool SpinFor(Ready ready) {
  static const bool worthIt = std::thread::hardware_concurrency() > 1;
  if (!worthIt) return ready();
  const auto until = Clock::now() + std::chrono::microseconds(200);
  for (;;) {
    for (int i = 0; i < 64; ++i) {
      if (ready()) return true;
#ifdef __SSE2__
      _mm_pause();
#endif
    }
    if (Clock::now() > until) return false;
  }
}
}  // namespace

PairWorker::PairWorker() : thread_([this] { Loop(); }) {}

PairWorker::~PairWorker() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
  }
  wake_.notify_one();
  thread_.join();
}

void PairWorker::Loop() {
  for (;;) {
    if (!SpinFor([this] { return task_.load(std::memory_order_acquire) != nullptr; })) {
      std::unique_lock<std::mutex> lock(mutex_);
      wake_.wait(lock, [this] { return stop_ || task_.load() != nullptr; });
      if (task_.load() == nullptr) return;
    }
    const std::function<void()>* task = task_.load(std::memory_order_acquire);
    std::exception_ptr error;
    try {
      (*task)();
    } catch (...) {
      error = std::current_exception();
    }
    error_ = error;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      task_.store(nullptr, std::memory_order_release);
    }
    done_.notify_one();
  }
}

void PairWorker::Run(const std::function<void()>& mine, const std::function<void()>& theirs) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    task_.store(&theirs, std::memory_order_release);
  }
  wake_.notify_one();
  std::exception_ptr own;
  try {
    mine();
  } catch (...) {
    own = std::current_exception();
  }
  if (!SpinFor([this] { return task_.load(std::memory_order_acquire) == nullptr; })) {
    std::unique_lock<std::mutex> lock(mutex_);
    done_.wait(lock, [this] { return task_.load() == nullptr; });
  }
  if (own) std::rethrow_exception(own);
  if (error_) std::rethrow_exception(error_);
}

void WorkSplit::Learn(double share, double mine, double theirs) {
  if (mine <= 0 || theirs <= 0 || share <= 0 || share >= 1) return;
  const double myRate = share / mine, theirRate = (1 - share) / theirs;
  const double even = myRate / (myRate + theirRate);
  mine_ = std::clamp((mine_ + even) / 2, 0.2, 0.8);
}

}  // namespace arl
