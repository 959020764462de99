#pragma once
// CliHome: one home of autorateloom-cli for the end-to-end benchmark: its settings written as the
// program reads them (autorateloom.ini, section [Form], CR LF lines), its currency list, the paths of
// its outputs in the default layout, and one timed run of the executable that lies beside the
// benchmark's own. A run that does not exit 0 ends the benchmark with the tail of its output: its
// time would not be that of a run a user relies on.
//
// ARL_BENCH_WRAP, when set, is put before every run, for a profiler; "%s" in it becomes the run's
// label, e.g. ARL_BENCH_WRAP='perf record -q -g -o /tmp/prof/%s.data --'.
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "bench/bench_files.h"
#include "bench/child_process.h"

namespace arl::benchutil {

inline std::string CliExecutable() {
  return (fs::read_symlink("/proc/self/exe").parent_path() / "autorateloom-cli").string();
}

class CliHome {
 public:
  explicit CliHome(std::string dir) : dir_(std::move(dir)) {}

  // A new home: its folders, settings (the site's index page, merge ticked or not) and tickers.
  void Init(const std::string& indexUrl, const std::vector<std::string>& tickers, bool merge) const {
    fs::create_directories(dir_ + "OriginalArchive");
    fs::create_directories(dir_ + "HistoricalData");
    WriteSettings(indexUrl, merge);
    std::string list;
    for (const auto& t : tickers) list += t + "\r\n";
    WriteFile(dir_ + "CurrencyList.txt", list);
    ResetLog();
  }

  // The settings: the site's index page, merge ticked or not, the timeframes ticked ("" for none).
  void WriteSettings(const std::string& indexUrl, bool merge, const std::string& timeframes = "") const {
    WriteFile(dir_ + "autorateloom.ini", "[Form]\r\nEditURL=" + indexUrl + "\r\nCheckBox1=" +
                                             (merge ? "1" : "0") + "\r\nTimeframes=" + timeframes + "\r\n");
  }

  const std::string& Dir() const { return dir_; }
  std::string ArchiveDir(int year) const { return dir_ + "OriginalArchive/" + std::to_string(year) + "/"; }
  std::string Marker(int year) const { return ArchiveDir(year) + "complete.arlm"; }
  std::string DataDir() const { return dir_ + "HistoricalData/"; }
  std::string CurrencyDir(const std::string& ticker) const { return DataDir() + ticker + "/1min/"; }
  std::string YearFile(const std::string& ticker, int year) const {
    return CurrencyDir(ticker) + "1min_" + std::to_string(year) + ".txt";
  }
  std::string MergeFile(const std::string& ticker) const { return CurrencyDir(ticker) + "1min_Merge.txt"; }

  // The log grows by every run; each timed run starts with an empty one.
  void ResetLog() const { WriteFile(dir_ + "autorateloom.log", ""); }

  // One run, after the page cache's dirty pages went to disk, its output to `outPath`.
  ProcessResult Run(const std::string& label, const std::string& outPath) const {
    std::vector<std::string> args = WrapperArgs(label);
    args.insert(args.end(), {CliExecutable(), "--home", dir_});
    ::sync();
    const ProcessResult r = RunProcess(args, outPath);
    if (r.exitCode != 0) {
      std::string out = ReadFile(outPath);
      if (out.size() > 3000) out.erase(0, out.size() - 3000);
      std::fprintf(stderr, "%s\n", out.c_str());
      Fail("the run " + label + " in " + dir_ + " ended with status " + std::to_string(r.exitCode));
    }
    return r;
  }

 private:
  static std::vector<std::string> WrapperArgs(const std::string& label) {
    static int count = 0;
    std::vector<std::string> args;
    const char* wrap = std::getenv("ARL_BENCH_WRAP");
    if (wrap == nullptr) return args;
    const std::string name = label + "-" + std::to_string(++count);
    std::istringstream words(wrap);
    for (std::string w; words >> w;) {
      if (const auto at = w.find("%s"); at != std::string::npos) w.replace(at, 2, name);
      args.push_back(w);
    }
    return args;
  }

  std::string dir_;  // ends in "/"
};

}  // namespace arl::benchutil
