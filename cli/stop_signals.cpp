#include "cli/stop_signals.h"

#include <pthread.h>
#include <unistd.h>

#include <csignal>

namespace arl {

namespace {

// SIGUSR1 only serves to end the watcher: the destructor sends it to the watcher thread.
sigset_t WatchedSignals() {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGINT);
  sigaddset(&set, SIGTERM);
  sigaddset(&set, SIGUSR1);
  return set;
}

sigset_t g_oldMask;
struct sigaction g_oldPipe;

}  // namespace

StopSignals::StopSignals(std::function<void()> onStop) : onStop_(std::move(onStop)) {
  const sigset_t set = WatchedSignals();
  pthread_sigmask(SIG_BLOCK, &set, &g_oldMask);
  // A reader of stdout that goes away (a pipe into head) must not kill the run half-way through a
  // file; the lost log lines are still in the log file.
  struct sigaction ignore {};
  ignore.sa_handler = SIG_IGN;
  sigemptyset(&ignore.sa_mask);
  sigaction(SIGPIPE, &ignore, &g_oldPipe);
  watcher_ = std::thread([this] { Watch(); });
}

StopSignals::~StopSignals() {
  ending_ = true;
  pthread_kill(watcher_.native_handle(), SIGUSR1);
  watcher_.join();
  sigaction(SIGPIPE, &g_oldPipe, nullptr);
  pthread_sigmask(SIG_SETMASK, &g_oldMask, nullptr);
}

void StopSignals::Watch() {
  const sigset_t set = WatchedSignals();
  for (;;) {
    int signal = 0;
    if (sigwait(&set, &signal) != 0) continue;
    if (ending_) return;
    if (signal == SIGUSR1) continue;
    if (received_.exchange(true)) _exit(130);  // asked twice: the user wants out now
    if (onStop_) onStop_();
  }
}

}  // namespace arl
