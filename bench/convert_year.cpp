// Conversion speed: a full-year rebuild of every currency year file against `cat` of the same day
// files, and the daily append of one December day to a full year against `cat` of the year files.
// Usage: bench_convert_year [days (default 260)] [tickers (default 70)]
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "bench/bench_year.h"
#include "convert/cross_check.h"
#include "convert/currency_update.h"
#include "support/files.h"
#include "support/text.h"
#include "tools/lib/day_data.h"

using namespace arl;

int main(int argc, char** argv) {
  const int dayCount = argc > 1 ? std::max(2, std::atoi(argv[1])) : 260;
  const int tickerCount = argc > 2 ? std::max(1, std::atoi(argv[2])) : 70;
  // The last `dayCount` trading days of 2005, so that the appended day is in December.
  benchutil::BenchYear year(dayCount, tickerCount);
  Session& s = year.s;
  const benchutil::ScratchDir& dir = year.dir;
  const std::string& yearDir = year.yearDir;
  const auto& days = year.days;
  const LineList& tickers = year.day.tickers;
  std::printf("generating %zu day files x %d tickers ...\n", days.size(), tickerCount);
  std::fflush(stdout);
  LineList names;
  for (std::size_t i = 0; i + 1 < days.size(); ++i) names.push_back(year.WriteDay(i));
  const std::int64_t lines = year.lines, bytes = year.bytes;

  // Full-year rebuild of all but the last day, five times each against five copies by `cat`: the
  // fastest of each is compared, as the least disturbed by whatever else the machine does.
  const std::string catOut = dir.path() + "cat.out";
  double catDays = 1e9;
  benchutil::ChildResult rebuild;
  rebuild.seconds = 1e9;
  for (int round = 0; round < 5; ++round) {
    // Every timed step starts with the generated files on disk and the cache warm.
    std::filesystem::remove_all(s.paths.DataDir);
    PrepareWorkingFolders(s.paths);
    ::sync();
    benchutil::ShellSeconds("cat " + yearDir + "*.txt > /dev/null");
    const double catRound = benchutil::ShellSeconds("cat " + yearDir + "*.txt > " + catOut);
    catDays = std::min(catDays, catRound);
    DeleteFile(catOut);
    ::sync();
    const auto run = benchutil::RunInChild([&] {
      LineList list = names;
      return UpdateCurrencyYearFiles(s, list, "2005") ? 0 : 1;
    });
    if (run.exitCode != 0) {
      std::printf("rebuild FAILED\n");
      return 1;
    }
    std::printf("  rebuild %.2f s (cpu %.2f s), cat %.2f s\n", run.seconds, run.cpuSeconds, catRound);
    if (run.seconds < rebuild.seconds) rebuild = run;
  }
  std::printf(
      "full-year rebuild: %zu day files, %lld lines, %.1f MB in %.2f s (cpu %.2f s, %.2f M lines/s); cat "
      "%.2f s; ratio %.2f (target <= 2.0); peak memory %.1f MB (target <= 256)\n",
      names.size(), static_cast<long long>(lines), bytes / 1e6, rebuild.seconds, rebuild.cpuSeconds,
      lines / rebuild.seconds / 1e6, catDays, rebuild.seconds / catDays, rebuild.peakKb / 1024.0);

  // The daily run: one new December day, the cross-check re-runs the last days and appends.
  year.WriteDay(days.size() - 1);
  std::string yearFiles;
  for (const auto& t : tickers) yearFiles += " " + s.paths.DataDir + t + "/1min/1min_2005.txt";
  ::sync();
  benchutil::ShellSeconds("cat" + yearFiles + " > /dev/null");
  const double catYear = benchutil::ShellSeconds("cat" + yearFiles + " > " + catOut);
  DeleteFile(catOut);
  ::sync();
  const auto append = benchutil::RunInChild([&] {
    LineList scratch;
    return CrossCheckCurrencies(s, scratch) ? 0 : 1;
  });
  if (append.exitCode != 0) {
    std::printf("append FAILED\n");
    return 1;
  }
  std::printf(
      "daily append: %.3f s (cpu %.3f s); cat of the year files %.2f s; ratio %.3f (target <= 0.5); peak "
      "memory %.1f MB\n",
      append.seconds, append.cpuSeconds, catYear, append.seconds / catYear, append.peakKb / 1024.0);
  return 0;
}
