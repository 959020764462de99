#pragma once
// StopSignals: SIGINT and SIGTERM as a cancel request for the headless front end. While it lives
// the two signals are blocked in every thread (construct it before any other thread starts, so that
// they inherit the mask) and taken by a watcher thread of its own: the first calls `onStop` there, in
// an ordinary thread where it may log and lock; a second one ends the process at once with 130, so
// a run stuck in a long blocking call can still be stopped from the terminal (downloads and settings
// are written through renames, and the next run works out afresh what is missing). SIGPIPE is
// ignored meanwhile: a closed stdout must not end the run in the middle of a file.
#include <atomic>
#include <functional>
#include <thread>

namespace arl {

class StopSignals {
 public:
  explicit StopSignals(std::function<void()> onStop);
  ~StopSignals();  // ends the watcher, restores the mask and SIGPIPE's handler
  StopSignals(const StopSignals&) = delete;
  StopSignals& operator=(const StopSignals&) = delete;

  // Whether a stop signal has arrived.
  bool Received() const { return received_.load(); }

 private:
  void Watch();

  std::function<void()> onStop_;
  std::atomic<bool> received_{false}, ending_{false};
  std::thread watcher_;
};

}  // namespace arl
