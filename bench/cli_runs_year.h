#pragma once
// The latest year's conversion by whole runs: (1) every year file of the year rebuilt from its day
// files on disk, nothing to download, against `cat` of the day files; (2) the next day, the year's
// last, published and appended, against `cat` of the year files. (7) and (8): the same two runs
// with every timeframe's bar files made as well, against the runs without.
//
// The site publishes the year before on a page of its own and the year up to its day before last
// on the index page. Its archives are one-minute stubs of one ticker: none is fetched except the
// appended day, whose archive is rewritten in full. On disk the year before is its day-file names
// and its marker, visited by every run with nothing to do.
#include <cstdio>

#include "bench/cli_bench.h"
#include "support/timeframes.h"
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

  const std::string url = server.Url(tools::FakeSite::kIndexPath);
  const std::string allTimeframes = TimeframesText(TimeframeSet::All());
  // The turn before's tree goes aside, its pages dropped from memory (the run flushed them), to be
  // deleted after the measurement: files deleted just before make the file system step over their
  // inodes as it gives out new ones, which no user's build meets, and the more files a run makes
  // the more it would pay for them.
  const std::string aside = b.scratch + "year-home-aside/";
  int turn = 0;
  const auto ourRebuild = [&](const std::string& timeframes, const char* label) {
    fs::create_directories(aside);
    if (fs::exists(home.DataDir())) {
      const std::string old = aside + std::to_string(++turn);
      fs::rename(home.DataDir(), old);
      DropCachedPages(old);
    }
    fs::create_directory(home.DataDir());
    fs::remove(home.Marker(kYear));
    home.WriteSettings(url, false, timeframes);
    home.ResetLog();
    return b.Run(home, label);
  };
  const Turns rebuild = Interleave(
      b.reps, [&] { return b.Cat(dayFiles); }, [&] { return ourRebuild("", "rebuild"); });
  std::vector<std::string> yearFiles;
  for (const auto& t : day.tickers) yearFiles.push_back(home.YearFile(t, kYear));
  b.verdicts.Add("(1) full-year rebuild / cat", rebuild.MedianB() / rebuild.MedianA(), 2.0, "x",
                 RunsOf(rebuild) + "; cat of the day files into a file " + SecondsList(rebuild.a) + " s; " +
                     std::to_string(yearFiles.size()) + " year files, " + Megabytes(TotalSize(yearFiles)));

  // (7) The bars' share: the rebuild with every timeframe against the rebuild without.
  const Turns barsRebuild = Interleave(
      b.reps, [&] { return ourRebuild("", "rebuild"); },
      [&] { return ourRebuild(allTimeframes, "rebuild-bars"); });
  b.verdicts.Add(
      "(7) rebuild's bars / rebuild", barsRebuild.MedianB() / barsRebuild.MedianA() - 1, 0.5, "x",
      "with every timeframe " + RunsOf(barsRebuild) + "; without " + SecondsList(barsRebuild.a) + " s");
  fs::remove_all(aside);

  // (2) The year as the rebuild left it, bar files too; the site publishes the last day, with every
  // ticker.
  std::vector<std::string> barFiles;
  for (const auto& t : day.tickers)
    for (const TimeframeInfo& frame : kTimeframes)
      for (const auto& f : FilesIn(home.DataDir() + t + "/" + std::string(frame.name))) barFiles.push_back(f);
  if (barFiles.size() != day.tickers.size() * kTimeframes.size()) Fail("the rebuild made no bar files");
  const SizeRecord barsBefore(barFiles);
  const SizeRecord before(yearFiles);
  const DirState archiveBefore(home.ArchiveDir(kYear));
  const tools::Ymd added = site.Grow(1).front();
  std::string entry = tools::ArchiveName(added);
  entry.replace(entry.size() - 4, 4, ".txt");
  tools::WriteZip(site.Dir() + tools::FakeSite::ArchivePath(added).substr(1), entry,
                  tools::MakeDayFile(added, day));
  const auto ourAppend = [&](const std::string& timeframes, const char* label) {
    before.CutBack();
    barsBefore.CutBack();
    archiveBefore.Restore();
    home.WriteSettings(url, false, timeframes);
    home.ResetLog();
    return b.Run(home, label);
  };
  const Turns append = Interleave(
      b.reps, [&] { return b.Cat(yearFiles); }, [&] { return ourAppend("", "append"); });
  if (before.Unchanged()) Fail("the daily run appended nothing");
  b.verdicts.Add("(2) daily append / cat", append.MedianB() / append.MedianA(), 0.3, "x",
                 RunsOf(append) + "; cat of the year files into a file " + SecondsList(append.a) + " s");

  // (8) The daily run with every timeframe against without; short runs: more turns.
  const Turns barsAppend = Interleave(
      2 * b.reps + 1, [&] { return ourAppend("", "append"); },
      [&] { return ourAppend(allTimeframes, "append-bars"); });
  if (barsBefore.Unchanged()) Fail("the daily run made no bars");
  b.verdicts.Add(
      "(8) daily run, bars / without", barsAppend.MedianB() / barsAppend.MedianA(), 1.2, "x",
      "with every timeframe " + RunsOf(barsAppend) + "; without " + SecondsList(barsAppend.a) + " s");
}

}  // namespace arl::benchutil
