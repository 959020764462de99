#pragma once
// CliBench: what the parts of the end-to-end benchmark share: the scratch tree, the sizes asked for,
// the verdicts, the largest peak memory of any run, and the `cat` baseline. `cat` writes the bytes it
// reads to a file in the scratch tree, on the same disk as the runs' outputs, so both sides read and
// write the same amount; the file is removed before each turn, outside the timing.
#include <algorithm>
#include <string>
#include <vector>

#include "bench/ab_runs.h"
#include "bench/bench_files.h"
#include "bench/cli_home.h"

namespace arl::benchutil {

struct CliBench {
  std::string scratch;  // ends in "/"
  int days = 260;       // trading days of a year
  int tickers = 70;
  int reps = 3;
  Verdicts verdicts;
  long peakKb = 0;

  std::string OutPath() const { return scratch + "run.out"; }

  ProcessResult Cat(const std::vector<std::string>& files) const { return CatInto({"cat"}, files); }
  // `cat` of the files into a file that is then flushed to the disk: the least a copy costs that
  // survives a power cut, as the merge file made afresh does.
  ProcessResult CatDurable(const std::vector<std::string>& files) const {
    return CatInto({"sh", "-c", "cat \"$@\" && sync \"$0\"", scratch + "cat.out"}, files);
  }

  ProcessResult Run(const CliHome& home, const std::string& label) {
    const ProcessResult r = home.Run(label, OutPath());
    peakKb = std::max(peakKb, r.peakKb);
    return r;
  }

  // Runs `command` with the files after it and its stdout in a scratch file, from a disk at rest.
  ProcessResult CatInto(std::vector<std::string> command, const std::vector<std::string>& files) const {
    const std::string out = scratch + "cat.out";
    fs::remove(out);
    command.insert(command.end(), files.begin(), files.end());
    ::sync();
    const ProcessResult r = RunProcess(command, out);
    if (r.exitCode != 0) Fail(command.front() + " failed");
    fs::remove(out);
    return r;
  }
};

inline std::string Megabytes(std::uintmax_t bytes) { return std::to_string(bytes / 1000000) + " MB"; }

}  // namespace arl::benchutil
