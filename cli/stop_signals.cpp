#include "cli/stop_signals.h"

#include <unistd.h>

#include <csignal>

namespace arl {

namespace {

volatile std::sig_atomic_t g_received = 0;  // signals seen
volatile std::sig_atomic_t g_taken = 0;     // the first one has been answered by the host
struct sigaction g_oldInt, g_oldTerm, g_oldPipe;

extern "C" void OnStopSignal(int) {
  if (g_received != 0) _exit(130);  // asked twice: the user wants out now
  g_received = 1;
}

}  // namespace

StopSignals::StopSignals() {
  g_received = 0;
  g_taken = 0;
  struct sigaction sa {};
  sa.sa_handler = OnStopSignal;
  sigemptyset(&sa.sa_mask);
  sa.sa_flags = SA_RESTART;  // file and socket calls of the run go on undisturbed
  sigaction(SIGINT, &sa, &g_oldInt);
  sigaction(SIGTERM, &sa, &g_oldTerm);
  // A reader of stdout that goes away (a pipe into head) must not kill the run half-way through a
  // file; the lost log lines are still in the log file.
  struct sigaction ignore {};
  ignore.sa_handler = SIG_IGN;
  sigemptyset(&ignore.sa_mask);
  sigaction(SIGPIPE, &ignore, &g_oldPipe);
}

StopSignals::~StopSignals() {
  sigaction(SIGINT, &g_oldInt, nullptr);
  sigaction(SIGTERM, &g_oldTerm, nullptr);
  sigaction(SIGPIPE, &g_oldPipe, nullptr);
}

bool StopSignals::Pending() { return g_received != 0 && g_taken == 0; }

bool StopSignals::Take() {
  if (!Pending()) return false;
  g_taken = 1;
  return true;
}

}  // namespace arl
