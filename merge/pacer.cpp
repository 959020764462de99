#include "merge/pacer.h"

namespace arl {

namespace {
// Reading the clock for every line of a scan would cost more than the line; every 64th is enough.
constexpr unsigned kPollsPerClockRead = 64;
}  // namespace

Pacer::Pacer(Session& s, const CopyTuning& tuning)
    : s_(s), tuning_(tuning), lastPump_(Now()), lastStatus_(lastPump_ - tuning.pumpEvery) {}

std::chrono::steady_clock::time_point Pacer::Now() const {
  return tuning_.clock ? tuning_.clock() : std::chrono::steady_clock::now();
}

bool Pacer::PumpAndPoll() {
  s_.Pump();
  lastPump_ = Now();
  return s_.GoOn();
}

bool Pacer::Poll() {
  if (++polls_ % kPollsPerClockRead == 0 && Now() - lastPump_ >= tuning_.pumpEvery) return PumpAndPoll();
  return s_.GoOn();
}

bool Pacer::StatusDue() {
  const auto now = Now();
  if (now - lastStatus_ < tuning_.pumpEvery) return false;
  lastStatus_ = now;
  return true;
}

}  // namespace arl
