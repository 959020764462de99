#pragma once
// FakeSite: a generated archive site in a directory, deterministic from a seed, for the tests, the
// benchmarks and the demo. The index page links the newest year's day archives and, newest first,
// one page per older year; each year page links that year's day archives; each day archive
// ddmmyy.zip holds ddmmyy.txt made by MakeDayFile. The site can grow one trading day at a time; when
// the newest year is full, the next day opens a new year and the old one moves to a page of its own.
// Its state lives in the directory (fake_site.state), so a later process can grow it further.
// Every failure to write or read the tree raises arl::Exception.
#include <cstdint>
#include <string>
#include <vector>

#include "tools/lib/day_data.h"

namespace arl::tools {

struct FakeSiteOptions {
  std::uint64_t seed = 1;
  int firstYear = 2009;
  int lastYear = 2011;   // the newest year at generation
  int daysPerYear = 10;  // the first trading days of each year; 0 (or more than it has): all of them
  int newestDays = -1;   // days of the newest year at generation; -1: daysPerYear
  int tickers = 3;       // the first tickers of DefaultTickers
  int firstMinute = 0;   // minutes of the day covered by the bars (small ranges keep tests quick)
  int lastMinute = 1439;
  double gapRate = 0.02;
  bool heading = true;
  // 1 January opens each year and 31 December closes each full one, as in years whose archive kept
  // them: shifted hours of these days fall into the year before or after.
  bool yearEnds = false;
};

class FakeSite {
 public:
  static constexpr const char* kIndexPath = "/free_forex_quotes/forex_history_arhiv.html";
  static constexpr const char* kStateFile = "fake_site.state";

  // Writes a whole new site into `dir` (created when missing) and its state file.
  static FakeSite Generate(const std::string& dir, const FakeSiteOptions& options);
  // Reopens a site generated before, from its state file.
  static FakeSite Open(const std::string& dir);

  // Publishes the next `days` trading days: their archives, the pages, the state. Returns the dates.
  std::vector<Ymd> Grow(int days = 1);

  const std::string& Dir() const { return dir_; }  // ends in "/"
  const FakeSiteOptions& Options() const { return options_; }
  int NewestYear() const { return newestYear_; }
  // The published days of one year, in date order (none for a year outside the site).
  std::vector<Ymd> PublishedDays(int year) const;
  // What the day files were made with, so a test can rebuild the expected content.
  DayDataOptions DayOptions() const;

  // Site paths (from the server's root, starting with "/").
  static std::string YearPagePath(int year);
  static std::string ArchivePath(const Ymd& date);

 private:
  FakeSite(std::string dir, FakeSiteOptions options);
  std::vector<Ymd> YearDays(int year) const;  // the days a full year of this site publishes, in order
  void WritePages() const;
  void WriteArchive(const Ymd& date) const;
  void SaveState() const;

  std::string dir_;
  FakeSiteOptions options_;
  int newestYear_ = 0;
  int newestDays_ = 0;
};

// Writes a zip archive holding one file `entryName` with `content` (deflate), replacing `zipPath`
// atomically. Raises arl::Exception on failure.
void WriteZip(const std::string& zipPath, const std::string& entryName, const std::string& content);

}  // namespace arl::tools
