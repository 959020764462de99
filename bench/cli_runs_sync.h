#pragma once
// (5) The first sync of a year from the loopback site by a whole run into a new home (pages,
// downloads, extraction, conversion) against what a person's script does with the same addresses:
// one curl and one unzip process per archive, no conversion. The site holds the year on a page of
// its own and one day of the next year on the index page; both sides fetch all of it. The home of
// the last run is kept for the merge runs.
#include <cstdio>

#include "bench/cli_bench.h"
#include "tools/lib/fake_site.h"
#include "tools/lib/site_server.h"

namespace arl::benchutil {

constexpr int kSyncYear = 2010;

inline std::size_t DayFilesIn(const CliHome& home) {
  return FilesIn(home.ArchiveDir(kSyncYear), ".txt").size() +
         FilesIn(home.ArchiveDir(kSyncYear + 1), ".txt").size();
}

// Returns the synced home; `site` and `server` go on serving for the merge runs.
inline CliHome MeasureFirstSync(CliBench& b, const tools::FakeSite& site, const tools::SiteServer& server) {
  std::string list;
  std::size_t archives = 0;
  for (int year = kSyncYear; year <= kSyncYear + 1; ++year) {
    for (const auto& d : site.PublishedDays(year)) {
      list += server.Url(tools::FakeSite::ArchivePath(d)) + "\n";
      ++archives;
    }
  }
  WriteFile(b.scratch + "archives.list", list);
  // Both sides start with the archives in the page cache.
  RunProcess({"sh", "-c", "cat '" + site.Dir() + "free_forex_quotes/'*/*/*.zip"}, "/dev/null");

  const std::string shellDir = b.scratch + "shell/";
  const std::string loop = "cd '" + shellDir +
                           "' && while read -r url; do name=${url##*/}; curl -s -o \"$name\" \"$url\" && "
                           "unzip -o -q \"$name\" && rm -f \"$name\"; done < ../archives.list";
  const CliHome home(b.scratch + "synced/");
  const auto tickers = site.DayOptions().tickers;
  const Turns sync = Interleave(
      b.reps,
      [&] {
        fs::remove_all(shellDir);
        fs::create_directories(shellDir);
        ::sync();
        return RunProcess({"sh", "-c", loop}, b.scratch + "shell.out");
      },
      [&] {
        fs::remove_all(home.Dir());
        home.Init(server.Url(tools::FakeSite::kIndexPath), tickers, false);
        return b.Run(home, "first-sync");
      });
  if (FilesIn(shellDir, ".txt").size() != archives) Fail("the curl + unzip loop missed archives");
  if (DayFilesIn(home) != archives) Fail("the first sync missed archives");
  b.verdicts.Add("(5) first sync / curl+unzip loop", sync.MedianB() / sync.MedianA(), 0.5, "x",
                 RunsOf(sync) + "; loop " + SecondsList(sync.a) + " s; " + std::to_string(archives) +
                     " archives of " + std::to_string(tickers.size()) + " tickers");
  return home;
}

}  // namespace arl::benchutil
