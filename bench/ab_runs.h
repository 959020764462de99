#pragma once
// Interleaved measurements and their verdicts. A figure compares the medians of runs taken in turns
// (baseline, ours, baseline, ours, ...), so that whatever else loads the shared machine meets both
// sides alike; each side prepares its state afresh before it is timed. A figure's verdict is PASS
// when its value is at most its limit.
#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "bench/child_process.h"

namespace arl::benchutil {

inline double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

// The measurements of one figure: both sides' wall clocks, side b's processor time and memory.
struct Turns {
  std::vector<double> a, b;  // seconds of each side, in the order taken
  std::vector<double> cpuB;  // processor seconds of side b
  long peakKbB = 0;          // the largest peak memory of side b
  double MedianA() const { return Median(a); }
  double MedianB() const { return Median(b); }
};

// A B A B ...: `reps` runs of each side, each returning its timed process.
inline Turns Interleave(int reps, const std::function<ProcessResult()>& a,
                        const std::function<ProcessResult()>& b) {
  Turns t;
  for (int i = 0; i < reps; ++i) {
    t.a.push_back(a().seconds);
    const ProcessResult r = b();
    t.b.push_back(r.seconds);
    t.cpuB.push_back(r.cpuSeconds);
    t.peakKbB = std::max(t.peakKbB, r.peakKb);
  }
  return t;
}

// "0.812 0.790 0.801"
inline std::string SecondsList(const std::vector<double>& v) {
  std::string s;
  char buf[32];
  for (double x : v) {
    std::snprintf(buf, sizeof buf, "%s%.3f", s.empty() ? "" : " ", x);
    s += buf;
  }
  return s;
}

// "runs 0.812 0.790 s (cpu 0.31 0.30 s)": the wall clock of side b and its processor time.
inline std::string RunsOf(const Turns& t) {
  return "runs " + SecondsList(t.b) + " s (cpu " + SecondsList(t.cpuB) + " s)";
}

// The figures of a benchmark, printed as they come and once more together at the end.
class Verdicts {
 public:
  // One figure: `value` against `limit`, with the measurements it came from.
  void Add(const std::string& name, double value, double limit, const std::string& unit,
           const std::string& detail) {
    const bool pass = value <= limit;
    failed_ += pass ? 0 : 1;
    char line[512];
    std::snprintf(line, sizeof line, "%-34s %8.3f %-3s (target <= %.3g)  %s\n    %s\n", name.c_str(), value,
                  unit.c_str(), limit, pass ? "PASS" : "FAIL", detail.c_str());
    lines_.push_back(line);
    std::fputs(line, stdout);
    std::fflush(stdout);
  }
  // All figures again, in the order of their names; true when every one passed.
  bool Summarize() const {
    std::vector<std::string> sorted = lines_;
    std::sort(sorted.begin(), sorted.end());
    std::printf("\n== whole autorateloom-cli runs: summary\n");
    for (const auto& line : sorted) std::fputs(line.c_str(), stdout);
    std::printf("%s\n", failed_ == 0 ? "every target met" : "TARGETS MISSED");
    return failed_ == 0;
  }

 private:
  std::vector<std::string> lines_;
  int failed_ = 0;
};

}  // namespace arl::benchutil
