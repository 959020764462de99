#pragma once
// One generated archive year (2005) in a scratch home, for the benchmarks of the conversion and
// the bars: the session over it (its clock at the year's end), the currency list, and the last
// `dayCount` trading days, written one at a time as day files. A write that fails aborts.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/bench_util.h"
#include "support/files.h"
#include "support/text.h"
#include "tools/lib/day_data.h"

namespace arl::benchutil {

inline void WriteText(const std::string& path, const std::string& text) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr || std::fwrite(text.data(), 1, text.size(), f) != text.size()) std::abort();
  std::fclose(f);
}

struct BenchYear {
  BenchYear(int dayCount, int tickerCount)
      : s(host, browser, downloader, Paths::ForAppDir(dir.path())), yearDir(s.paths.ArchiveDir + "2005/") {
    PrepareWorkingFolders(s.paths);
    s.LatestYear = "2005";
    s.now = [] { return EncodeDate(2005, 12, 31); };
    day.tickers = tools::DefaultTickers(tickerCount);
    SaveLines(s.paths.AppDir + "CurrencyList.txt", day.tickers);
    days = tools::TradingDays(2005);
    if (static_cast<int>(days.size()) > dayCount) days.erase(days.begin(), days.end() - dayCount);
    CreateDir(yearDir);
  }

  // Writes the day file of days[i] and returns its name; `lines` and `bytes` count what was written.
  std::string WriteDay(std::size_t i) {
    day.seed = i + 1;
    const std::string text = tools::MakeDayFile(days[i], day);
    lines += std::count(text.begin(), text.end(), '\n');
    bytes += static_cast<std::int64_t>(text.size());
    const std::string name = tools::DayFileNameOf(days[i]);
    WriteText(yearDir + name, text);
    return name;
  }

  ScratchDir dir;
  QuietEvents host;
  NoBrowser browser;
  NoDownloader downloader;
  Session s;
  std::string yearDir;
  tools::DayDataOptions day;
  std::vector<tools::Ymd> days;
  std::int64_t lines = 0, bytes = 0;
};

}  // namespace arl::benchutil
