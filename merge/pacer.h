#pragma once
// Pacer: keeps the window alive during long merge work and polls the go-on flag. Block copies pump
// after every block; line scans pump, and progress is shown, when the tuning's interval has passed
// on its clock. It never raises; whatever a pump runs (the cancel button) only clears the go-on flag.
#include <chrono>

#include "merge/copy_tuning.h"
#include "run/session.h"

namespace arl {

class Pacer {
 public:
  Pacer(Session& s, const CopyTuning& tuning);

  // Lets pending window messages run, then answers whether the run goes on.
  bool PumpAndPoll();
  // Answers whether the run goes on; pumps first when the interval has passed since the last pump.
  bool Poll();
  // True at most once per interval: whether the status bar should show progress again. A status
  // text for every block would cost a window its repaints.
  bool StatusDue();

 private:
  std::chrono::steady_clock::time_point Now() const;
  Session& s_;
  const CopyTuning& tuning_;
  std::chrono::steady_clock::time_point lastPump_, lastStatus_;
  unsigned polls_ = 0;
};

}  // namespace arl
