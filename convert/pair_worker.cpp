#include "convert/pair_worker.h"

#include <algorithm>
#include <chrono>

namespace arl {

namespace {
using Clock = std::chrono::steady_clock;
double Since(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }
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
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    wake_.wait(lock, [this] { return stop_ || task_ != nullptr; });
    if (task_ == nullptr) return;
    const std::function<void()>* task = task_;
    lock.unlock();
    std::exception_ptr error;
    const auto start = Clock::now();
    try {
      (*task)();
    } catch (...) {
      error = std::current_exception();
    }
    const double took = Since(start);
    lock.lock();
    error_ = error;
    theirSeconds_ = took;
    task_ = nullptr;
    done_.notify_one();
  }
}

PairWorker::Seconds PairWorker::Run(const std::function<void()>& mine, const std::function<void()>& theirs) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    task_ = &theirs;
    error_ = nullptr;
  }
  wake_.notify_one();
  std::exception_ptr own;
  const auto start = Clock::now();
  try {
    mine();
  } catch (...) {
    own = std::current_exception();
  }
  const double took = Since(start);
  std::unique_lock<std::mutex> lock(mutex_);
  done_.wait(lock, [this] { return task_ == nullptr; });
  if (own) std::rethrow_exception(own);
  if (error_) std::rethrow_exception(error_);
  return {took, theirSeconds_};
}

void WorkSplit::Learn(double share, const PairWorker::Seconds& took) {
  if (took.mine <= 0 || took.theirs <= 0 || share <= 0 || share >= 1) return;
  const double myRate = share / took.mine, theirRate = (1 - share) / took.theirs;
  const double even = myRate / (myRate + theirRate);
  mine_ = std::clamp((mine_ + even) / 2, 0.2, 0.8);
}

}  // namespace arl
