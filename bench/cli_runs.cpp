// Whole `autorateloom-cli --home DIR` runs on loopback, timed as a user sees them (from the spawn to
// the exit), against plain baselines measured in the same run. Each figure is the median of runs
// taken in turns with its baseline, every run of ours in a state prepared afresh outside the timing:
//   (1) full-year rebuild of the latest year from its day files      <= 2.0 x cat of the day files
//   (2) the daily append of the year's last day, in December         <= 0.3 x cat of the year files
//   (3) one ticker's merge file written afresh over 26 years          <= 1.3 x cat of its year files
//   (4) a daily run with the merge ticked, one ticker, 26 years       <= 80 ms, <= 1.5 x at 5 years
//   (5) first sync of a year of 20 tickers from the site             <= 0.5 x a curl + unzip loop
//   (6) peak resident memory of every run                            <= 256 MB
//   (7) every timeframe's bars in the rebuild (1), beyond its time   <= 0.5 x the rebuild without
//   (8) the daily run (2) with every timeframe ticked                 <= 1.2 x the run without
// `cat` writes into a file on the same disk as the runs' outputs.
// Usage: bench_cli_runs [days a year (default 260)] [tickers (default 70; the first sync takes at
// most 20)] [turns (default 3)]. Exits 1 when a target is missed, 2 when a run or a step failed.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <exception>

#include "bench/cli_bench.h"
#include "bench/cli_runs_merge.h"
#include "bench/cli_runs_sync.h"
#include "bench/cli_runs_year.h"
#include "tools/lib/fake_site.h"
#include "tools/lib/site_server.h"

using namespace arl;
using namespace arl::benchutil;

namespace {

int Measure(int argc, char** argv) {
  const ScratchTree scratch;
  CliBench b;
  b.scratch = scratch.path();
  b.days = argc > 1 ? std::max(2, std::atoi(argv[1])) : 260;
  b.tickers = argc > 2 ? std::max(1, std::atoi(argv[2])) : 70;
  b.reps = argc > 3 ? std::max(1, std::atoi(argv[3])) : 3;
  if (!fs::exists(CliExecutable())) Fail(CliExecutable() + " is missing: build autorateloom-cli");
  std::printf("whole runs of %s, %d turns each\n", CliExecutable().c_str(), b.reps);
  std::fflush(stdout);

  {
    tools::FakeSiteOptions o;
    o.seed = 5;
    o.firstYear = kSyncYear;
    o.lastYear = kSyncYear + 1;
    o.daysPerYear = b.days;
    o.newestDays = 1;
    o.tickers = std::min(20, b.tickers);
    tools::FakeSite site = tools::FakeSite::Generate(b.scratch + "sync-site", o);
    tools::SiteServer server(site.Dir());
    server.Start();
    const CliHome synced = MeasureFirstSync(b, site, server);
    MeasureMerge(b, site, server.Url(tools::FakeSite::kIndexPath), synced);
  }
  MeasureYearConversion(b);

  b.verdicts.Add("(6) peak memory of any run", b.peakKb / 1024.0, 256, "MB", "ru_maxrss from wait4");
  return b.verdicts.Summarize() ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return Measure(argc, argv);
  } catch (const std::exception& e) {
    Fail(e.what());  // a generator or a file step that raised: nothing measured can be trusted
  }
}
