#include "merge/pacer.h"

namespace arl {

Pacer::Pacer(Session& s, const CopyTuning& tuning)
    : s_(s), tuning_(tuning), lastStatus_(Now() - tuning.statusEvery) {}

std::chrono::steady_clock::time_point Pacer::Now() const {
  return tuning_.clock ? tuning_.clock() : std::chrono::steady_clock::now();
}

bool Pacer::StatusDue() {
  const auto now = Now();
  if (now - lastStatus_ < tuning_.statusEvery) return false;
  lastStatus_ = now;
  return true;
}

}  // namespace arl
