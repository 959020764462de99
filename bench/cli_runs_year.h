#pragma once
// The latest year's conversion by whole runs: (1) every year file of the year rebuilt from its day
// files on disk, nothing to download, against `cat` of the day files; (2) the next day, the year's
// last, published and appended, against `cat` of the year files.
//
// The site publishes the year before on a page of its own and the year up to its day before last
// on the index page. Its archives are one-minute stubs of one ticker: none is fetched except the
// appended day, whose archive is rewritten in full. On disk the year before is its day-file names
// and its marker, visited by every run with nothing to do.
#include <cstdio>

#include "bench/cli_bench.h"
#include "tools/lib/day_data.h"
#include "tools/lib/fake_site.h"
#include "tools/lib/site_server.h"

namespace arl::benchutil {

inline void MeasureYearConversion(CliBench& b) {
  constexpr int kYear = 2005;
  const int dayCount = std::clamp(b.days, 2, static_cast<int>(tools::TradingDays(kYear).size()));
  tools::FakeSiteOptions o;
  o.seed = 3;
  o.firstYear = kYear - 1;
  o.lastYear = kYear;
  o.daysPerYear = dayCount;
  o.newestDays = dayCount - 1;
  o.tickers = 1;
  o.firstMinute = o.lastMinute = 0;
  tools::FakeSite site = tools::FakeSite::Generate(b.scratch + "year-site", o);
  tools::SiteServer server(site.Dir());
  server.Start();

  tools::DayDataOptions day;
  day.seed = 11;
  day.tickers = tools::DefaultTickers(b.tickers);
  const CliHome home(b.scratch + "year-home/");
  home.Init(server.Url(tools::FakeSite::kIndexPath), day.tickers, false);
  fs::create_directories(home.ArchiveDir(kYear - 1));
  for (const auto& d : site.PublishedDays(kYear - 1))
    WriteFile(home.ArchiveDir(kYear - 1) + tools::DayFileNameOf(d), "");
  WriteFile(home.Marker(kYear - 1), "");
  fs::create_directories(home.ArchiveDir(kYear));
  std::vector<std::string> dayFiles;
  for (const auto& d : site.PublishedDays(kYear)) {
    dayFiles.push_back(home.ArchiveDir(kYear) + tools::DayFileNameOf(d));
    WriteFile(dayFiles.back(), tools::MakeDayFile(d, day));
  }
  std::printf("(1) %zu day files of %d tickers, %s\n", dayFiles.size(), b.tickers,
              Megabytes(TotalSize(dayFiles)).c_str());
  std::fflush(stdout);

  const Turns rebuild = Interleave(
      b.reps, [&] { return b.Cat(dayFiles); },
      [&] {
        fs::remove_all(home.DataDir());
        fs::create_directory(home.DataDir());
        fs::remove(home.Marker(kYear));
        home.ResetLog();
        return b.Run(home, "rebuild");
      });
  std::vector<std::string> yearFiles;
  for (const auto& t : day.tickers) yearFiles.push_back(home.YearFile(t, kYear));
  b.verdicts.Add("(1) full-year rebuild / cat", rebuild.MedianB() / rebuild.MedianA(), 2.0, "x",
                 RunsOf(rebuild) + "; cat of the day files into a file " + SecondsList(rebuild.a) + " s; " +
                     std::to_string(yearFiles.size()) + " year files, " + Megabytes(TotalSize(yearFiles)));

  // (2) The year as the rebuild left it; the site publishes the last day, with every ticker.
  const SizeRecord before(yearFiles);
  const DirState archiveBefore(home.ArchiveDir(kYear));
  const tools::Ymd added = site.Grow(1).front();
  std::string entry = tools::ArchiveName(added);
  entry.replace(entry.size() - 4, 4, ".txt");
  tools::WriteZip(site.Dir() + tools::FakeSite::ArchivePath(added).substr(1), entry,
                  tools::MakeDayFile(added, day));
  const Turns append = Interleave(
      b.reps, [&] { return b.Cat(yearFiles); },
      [&] {
        before.CutBack();
        archiveBefore.Restore();
        home.ResetLog();
        return b.Run(home, "append");
      });
  if (before.Unchanged()) Fail("the daily run appended nothing");
  b.verdicts.Add("(2) daily append / cat", append.MedianB() / append.MedianA(), 0.3, "x",
                 RunsOf(append) + "; cat of the year files into a file " + SecondsList(append.a) + " s");
}

}  // namespace arl::benchutil
