#pragma once
// PairWorker: a second thread that runs one task alongside the caller's own and waits for both, so
// that a conversion uses two cores. Each side waits a little busily before it sleeps, as the
// conversion hands work over every few milliseconds. The helper thread lives as long as the object. An
// exception of either task is rethrown by Run() once both have ended (the caller's own first), so nothing the
// tasks use is released while the other still runs. Failing to start the thread raises
// std::system_error from the constructor.
#include <atomic>
#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>

namespace arl {

class PairWorker {
 public:
  PairWorker();
  ~PairWorker();
  PairWorker(const PairWorker&) = delete;
  PairWorker& operator=(const PairWorker&) = delete;

  void Run(const std::function<void()>& mine, const std::function<void()>& theirs);

 private:
  void Loop();

  std::mutex mutex_;
  std::condition_variable wake_, done_;
  std::atomic<const std::function<void()>*> task_{nullptr};  // set while the helper's task runs
  bool stop_ = false;
  std::exception_ptr error_;
  std::thread thread_;
};

// WorkSplit: the share of the work the caller's task takes, learned from the times of the rounds
// before so that both tasks end together. Starts even; stays between a fifth and four fifths.
class WorkSplit {
 public:
  double Mine() const { return mine_; }
  // A round in which the caller's task did `share` of the work in `mine` seconds, the helper's the
  // rest in `theirs`.
  void Learn(double share, double mine, double theirs);

 private:
  double mine_ = 0.5;
};

}  // namespace arl
