#include "convert/pair_worker.h"

namespace arl {

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
    try {
      (*task)();
    } catch (...) {
      error = std::current_exception();
    }
    lock.lock();
    error_ = error;
    task_ = nullptr;
    done_.notify_one();
  }
}

void PairWorker::Run(const std::function<void()>& mine, const std::function<void()>& theirs) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    task_ = &theirs;
    error_ = nullptr;
  }
  wake_.notify_one();
  std::exception_ptr own;
  try {
    mine();
  } catch (...) {
    own = std::current_exception();
  }
  std::unique_lock<std::mutex> lock(mutex_);
  done_.wait(lock, [this] { return task_ == nullptr; });
  if (own) std::rethrow_exception(own);
  if (error_) std::rethrow_exception(error_);
}

}  // namespace arl
