#pragma once
// ProgressGate: where the run's steps report how far they are, and what decides which reports reach
// the front end (RunEvents::Progressed). A report that starts a phase (another phase, another year,
// counts that start over) and the one that finishes it always pass; the others at most one per
// kInterval, so that a download's byte counts or a fast loop over small day files never floods the
// window. It adds the year (set by the year loop) to the phases of one year, and the download rate
// and the time left measured from the phase's start. Used on the run's thread only; raises nothing of
// its own (what the front end raises goes to the caller).
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "run/run_progress.h"

namespace arl {

class RunEvents;

class ProgressGate {
 public:
  using Clock = std::function<std::chrono::steady_clock::time_point()>;
  static constexpr std::chrono::milliseconds kInterval{100};

  explicit ProgressGate(RunEvents& events) : events_(events) {}

  // A run starts: no year, no phase.
  void Reset();
  // The year the next reports of a year's phase belong to: `index` of `count` (from 1).
  void SetYear(int index, int count, std::string year);
  // `done` of `total` items of `phase` (total 0: not counted), `item` in hand, `bytes` received in the
  // phase so far (downloads).
  void Report(ProgressPhase phase, int done, int total, std::string_view item = {}, std::int64_t bytes = 0);
  // Passes the last report held back, when its turn has come: a step that reports rarely (a long
  // merge after a few quick ones) shows its count without waiting for its next report. The run calls
  // it with every status it shows.
  void Flush();

  Clock clock = [] { return std::chrono::steady_clock::now(); };  // tests put their own

 private:
  RunEvents& events_;
  int yearIndex_ = 0, yearCount_ = 0;
  std::string year_;
  bool started_ = false;
  RunProgress last_;   // the last report, passed or not
  bool held_ = false;  // last_ was held back
  void Pass(std::chrono::steady_clock::time_point now);
  std::chrono::steady_clock::time_point phaseStart_, lastPassed_;
};

}  // namespace arl
