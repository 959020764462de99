#pragma once
// SIGINT and SIGTERM as a cancel request for the headless front end. The handler only raises a flag;
// the host takes it at its next Pump, exactly where the window would run the cancel button's
// handler. A second signal ends the process at once with 130, so a run stuck in a long blocking call
// can still be stopped from the terminal (downloads and settings are written through renames, and
// the next run works out afresh what is missing). SIGPIPE is ignored meanwhile: a closed stdout
// must not end the run in the middle of a file.
namespace arl {

class StopSignals {
 public:
  StopSignals();   // installs the handlers and clears the flag
  ~StopSignals();  // restores the previous handlers
  StopSignals(const StopSignals&) = delete;
  StopSignals& operator=(const StopSignals&) = delete;

  // True once a stop signal has arrived; Take() answers it (true only the first time).
  static bool Pending();
  static bool Take();
};

}  // namespace arl
