#pragma once
// Pacer: answers whether the merge goes on, and paces its status text. Reading the cancel token is
// cheap; a status text for every block would cost a window its repaints, so progress is shown at most
// once per the tuning's interval on its clock. It never raises.
#include <chrono>

#include "merge/copy_tuning.h"
#include "run/session.h"

namespace arl {

class Pacer {
 public:
  Pacer(Session& s, const CopyTuning& tuning);

  // Whether the run goes on (no cancel requested).
  bool GoOn() const { return s_.GoOn(); }
  // True at most once per interval: whether the status bar should show progress again.
  bool StatusDue();

 private:
  std::chrono::steady_clock::time_point Now() const;

  Session& s_;
  const CopyTuning& tuning_;
  std::chrono::steady_clock::time_point lastStatus_;
};

}  // namespace arl
