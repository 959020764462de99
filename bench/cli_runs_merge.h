#pragma once
// The merge by whole runs, one ticker with the merge ticked: (3) its merge file written afresh over
// 26 years of year files, against `cat` of those files; (4) the daily run that appends one new day
// to the year file and the merge file, at 26 years of history against the same at 5.
//
// Each home is the first-synced one, its ticker's two real year files (the full year and the next
// year's first day) joined by older years made from the full year with the year in its dates
// changed. The runs visit the two synced years, both marked, and fetch nothing but the new day.
#include <cstdio>

#include "bench/cli_bench.h"
#include "bench/cli_runs_sync.h"
#include "tools/lib/fake_site.h"

namespace arl::benchutil {

// A home with `years` years of `ticker`'s history, the newest being the synced home's two.
inline CliHome MergeHome(const CliBench& b, const CliHome& synced, const std::string& url,
                         const std::string& ticker, int years) {
  const CliHome home(b.scratch + "merge" + std::to_string(years) + "/");
  home.Init(url, {ticker}, true);
  fs::remove_all(home.Dir() + "OriginalArchive");
  fs::copy(synced.Dir() + "OriginalArchive", home.Dir() + "OriginalArchive", fs::copy_options::recursive);
  fs::create_directories(home.CurrencyDir(ticker));
  for (int year : {kSyncYear, kSyncYear + 1})
    fs::copy_file(synced.YearFile(ticker, year), home.YearFile(ticker, year));
  const std::string full = ReadFile(synced.YearFile(ticker, kSyncYear));
  for (int year = kSyncYear + 2 - years; year < kSyncYear; ++year)
    WriteFile(home.YearFile(ticker, year), WithYear(full, std::to_string(kSyncYear), std::to_string(year)));
  return home;
}

inline void MeasureMerge(CliBench& b, tools::FakeSite& site, const std::string& url, const CliHome& synced) {
  const std::string ticker = site.DayOptions().tickers.front();
  const CliHome long26 = MergeHome(b, synced, url, ticker, 26);
  const std::vector<std::string> yearFiles = FilesIn(long26.CurrencyDir(ticker), ".txt");
  const auto ourRebuild = [&] {
    fs::remove(long26.MergeFile(ticker));
    long26.ResetLog();
    return b.Run(long26, "merge-rebuild");
  };
  const Turns rebuild = Interleave(
      b.reps, [&] { return b.Cat(yearFiles); }, ourRebuild);
  if (fs::file_size(long26.MergeFile(ticker)) != TotalSize(yearFiles))
    Fail("the merge file is not the year files joined");
  b.verdicts.Add("(3) merge rebuild, 26 years / cat", rebuild.MedianB() / rebuild.MedianA(), 1.3, "x",
                 RunsOf(rebuild) + "; cat of " + std::to_string(yearFiles.size()) + " year files (" +
                     Megabytes(TotalSize(yearFiles)) + ") into a file " + SecondsList(rebuild.a) + " s");
  // The merge file made afresh is flushed before it takes its name; `cat` never waits for the disk.
  const Turns durable = Interleave(
      b.reps, [&] { return b.CatDurable(yearFiles); }, ourRebuild);
  b.verdicts.Add("(3) merge rebuild / cat and fsync", durable.MedianB() / durable.MedianA(), 1.0, "x",
                 RunsOf(durable) + "; cat into a file, then sync of it " + SecondsList(durable.a) + " s");

  // (4) Both homes merged up to today; then the site publishes the next day.
  const CliHome short5 = MergeHome(b, synced, url, ticker, 5);
  b.Run(short5, "merge5-prepare");
  struct Before {
    SizeRecord sizes;
    DirState archive;
  };
  auto before = [&](const CliHome& h) {
    return Before{SizeRecord({h.YearFile(ticker, kSyncYear + 1), h.MergeFile(ticker)}),
                  DirState(h.ArchiveDir(kSyncYear + 1))};
  };
  const Before before5 = before(short5), before26 = before(long26);
  site.Grow(1);
  auto daily = [&](const CliHome& h, const Before& state, const char* label) {
    state.sizes.CutBack();
    state.archive.Restore();
    h.ResetLog();
    return b.Run(h, label);
  };
  // Runs this short feel the machine's other load most: more turns.
  const Turns runs = Interleave(
      2 * b.reps + 1, [&] { return daily(short5, before5, "daily-merge-5y"); },
      [&] { return daily(long26, before26, "daily-merge-26y"); });
  if (before26.sizes.Unchanged()) Fail("the daily merge run appended nothing");
  const std::string detail = "26 years: " + RunsOf(runs) + "; 5 years: runs " + SecondsList(runs.a) + " s";
  b.verdicts.Add("(4) daily run with merge, 26 years", runs.MedianB() * 1000, 80, "ms", detail);
  b.verdicts.Add("(4) daily merge run 26 y / 5 y", runs.MedianB() / runs.MedianA(), 1.5, "x", detail);
}

}  // namespace arl::benchutil
