#include "run/progress_gate.h"

#include "run/run_events.h"

namespace arl {

namespace {

// A pace measured over less than this says little: no rate and no estimate before it.
constexpr double kSecondsBeforeEstimate = 1.0;

}  // namespace

void ProgressGate::Reset() {
  SetYear(0, 0, {});
  started_ = held_ = false;
}

void ProgressGate::SetYear(int index, int count, std::string year) {
  yearIndex_ = index;
  yearCount_ = count;
  year_ = std::move(year);
}

void ProgressGate::Report(ProgressPhase phase, int done, int total, std::string_view item,
                          std::int64_t bytes) {
  const auto now = clock();
  const bool ofYear = YearBound(phase);
  const int yearIndex = ofYear ? yearIndex_ : 0;
  const std::string_view year = ofYear ? std::string_view(year_) : std::string_view();
  const bool starts = !started_ || phase != last_.phase || total != last_.total || done < last_.done ||
                      yearIndex != last_.yearIndex || year != last_.year;
  const bool finishes = total > 0 && done == total && (starts || last_.done != total);
  if (starts) phaseStart_ = now;
  started_ = true;

  last_.phase = phase;
  last_.yearIndex = yearIndex;
  last_.yearCount = ofYear ? yearCount_ : 0;
  last_.year = year;
  last_.done = done;
  last_.total = total;
  last_.bytes = bytes;
  last_.item = item;
  held_ = !starts && !finishes && now - lastPassed_ < kInterval;
  if (!held_) Pass(now);
}

void ProgressGate::Flush() {
  if (!held_) return;
  const auto now = clock();
  if (now - lastPassed_ < kInterval) return;
  held_ = false;
  Pass(now);
}

void ProgressGate::Pass(std::chrono::steady_clock::time_point now) {
  const double seconds = std::chrono::duration<double>(now - phaseStart_).count();
  const bool paced = seconds >= kSecondsBeforeEstimate;
  last_.bytesPerSecond = paced && last_.bytes > 0 ? static_cast<double>(last_.bytes) / seconds : 0;
  const int done = last_.done, total = last_.total;
  last_.secondsLeft =
      paced && done > 0 && done < total ? seconds * static_cast<double>(total - done) / done : -1;
  lastPassed_ = now;
  events_.Progressed(last_);
}

}  // namespace arl
