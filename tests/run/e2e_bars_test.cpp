// The bar files of whole runs of autorateloom-cli, held byte for byte against bars made the plain way
// from the 1-minute year files the same run wrote: every layout of the lines and files, shifts that
// move minutes across a year's end both ways, days added run by run and into a new year, and
// timeframes unticked and ticked again.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <filesystem>
#include <memory>

#include "tests/common/bars_reference.h"
#include "tests/run/cli_run.h"

namespace arl::test {
namespace {

namespace fs = std::filesystem;

constexpr char kAllFrames[] = "5min,15min,30min,1hour,4hour,1day";

// How a home writes its lines and files, as its settings say it.
struct Layout {
  bool keepTicker;
  char separator;
  bool subFolder;
  const char* timeFormat;
  int shift;

  RunOptions Options() const {
    RunOptions o;
    o.keepTicker = keepTicker;
    o.dateSeparator = separator;
    o.subFolder = subFolder;
    o.timeFormat = timeFormat;
    o.shiftHours = shift;
    return o;
  }
  std::string Ini(const std::string& frames) const {
    return std::string("RadioGroup1=") + (keepTicker ? "0" : "1") +
           "\r\nRadioGroup2=" + (separator == '/' ? "0" : "1") +
           "\r\nRadioGroup3=" + (subFolder ? "1" : "0") + "\r\nEditLongTimeFormat=" + timeFormat +
           "\r\nEditGmtGap=" + std::to_string(shift) + "\r\nTimeframes=" + frames + "\r\n";
  }
  std::string Name() const {
    return std::string(timeFormat) + (keepTicker ? " ticker " : " ") + separator +
           (subFolder ? " sub-folders" : " flat") + " shift " + std::to_string(shift);
  }
};

// Years from 2009 with 1 January and 31 December besides two trading days, one minute in ten
// missing, and archive hours 04:00 to 23:00: shifted by -6 or +3 hours, minutes of every day cross
// midnight, and those of the year's ends cross into the year before or after.
tools::FakeSiteOptions BarSite(int lastYear, int newestDays, int tickers) {
  tools::FakeSiteOptions o;
  o.seed = 5;
  o.firstYear = 2009;
  o.lastYear = lastYear;
  o.daysPerYear = 2;
  o.newestDays = newestDays;
  o.tickers = tickers;
  o.firstMinute = 240;
  o.lastMinute = 1380;
  o.gapRate = 0.1;
  o.yearEnds = true;
  return o;
}

// A home of its own for the layout and the site, with the timeframes `frames` ticked.
struct BarHome {
  BarHome(const ServedSite& served, const Layout& layout, const std::string& frames = kAllFrames)
      : layout(layout) {
    PrepareCliHome(dir.path(), served, false, layout.Ini(frames));
  }
  FileTree Data() const { return ReadTree(dir.path(), {"HistoricalData"}); }
  TempDir dir;
  Layout layout;
};

using Homes = std::vector<std::unique_ptr<BarHome>>;

Homes HomesOf(const ServedSite& served, const std::vector<Layout>& layouts) {
  Homes homes;
  for (const Layout& layout : layouts) homes.push_back(std::make_unique<BarHome>(served, layout));
  return homes;
}

// Runs autorateloom-cli on every home at once and waits for them all; each must end with status 0.
void RunAll(const std::vector<const BarHome*>& homes) {
  std::vector<std::unique_ptr<CliProcess>> runs;
  for (const BarHome* home : homes)
    runs.push_back(std::make_unique<CliProcess>(std::vector<std::string>{"--home", home->dir.path()}));
  for (std::size_t i = 0; i < runs.size(); ++i) {
    const int status = runs[i]->Wait(std::chrono::seconds(60));
    EXPECT_TRUE(status != -1 && WIFEXITED(status) && WEXITSTATUS(status) == 0)
        << homes[i]->layout.Name() << "\n"
        << runs[i]->Err();
  }
}

void RunAll(const Homes& homes, const Homes& more = {}) {
  std::vector<const BarHome*> all;
  for (const Homes* list : {&homes, &more})
    for (const auto& home : *list) all.push_back(home.get());
  RunAll(all);
}

// Whether the file's name is that of a timeframe's year file ("1min" for the 1-minute ones).
bool IsFileOf(const std::string& path, std::string_view frame) {
  return fs::path(path).filename().string().starts_with(std::string(frame) + "_");
}

// The files of the tree that belong to one of the timeframes.
FileTree FilesOf(const FileTree& tree, const std::vector<std::string_view>& frames) {
  FileTree files;
  for (const auto& [path, text] : tree)
    for (const std::string_view frame : frames)
      if (IsFileOf(path, frame)) files[path] = text;
  return files;
}

// When each bar file of the year was last written.
std::map<std::string, fs::file_time_type> WriteTimes(const BarHome& home, int year) {
  std::map<std::string, fs::file_time_type> times;
  for (const auto& [path, text] : home.Data())
    if (!IsFileOf(path, "1min") && path.ends_with("_" + std::to_string(year) + ".txt"))
      times[path] = fs::last_write_time(home.dir / path);
  return times;
}

// What the home's HistoricalData must hold: its 1-minute year files as they are, and the bar files
// the rules give for them, one for every year of a bar and timeframe.
FileTree Expected(const BarHome& home, const std::vector<std::string>& tickers) {
  const RunOptions o = home.layout.Options();
  FileTree expected;
  for (const auto& [path, text] : home.Data())
    if (IsFileOf(path, "1min")) expected[path] = text;
  for (const std::string& ticker : tickers) {
    std::vector<std::string> minutes;  // year by year: the tree's paths sort so
    for (const auto& [path, text] : expected)
      if (path.starts_with("HistoricalData/" + ticker + "/")) minutes.push_back(text);
    const RefBars bars = ReferenceBars(o, minutes);
    for (const TimeframeInfo& frame : kTimeframes) {
      const std::string dir =
          "HistoricalData/" + ticker + "/" + (o.subFolder ? std::string(frame.name) + "/" : std::string());
      for (const auto& [year, text] : RefYearFiles(o, ticker, bars[IndexOf(frame.frame)]))
        expected[dir + std::string(frame.name) + "_" + std::to_string(year) + ".txt"] = text;
    }
  }
  return expected;
}

TEST(E2eBars, EveryLayoutAndShiftGivesTheBarFilesOfTheRules) {
  ServedSite served(BarSite(2010, 3, 3));
  // Each shift with both time formats; the ticker column, the separator and the sub-folders in
  // every pair of values.
  const std::vector<Layout> layouts = {{false, '/', true, "hh:nn:ss", -6}, {true, '-', false, "hh:nn", -6},
                                       {true, '/', false, "hh:nn:ss", 0},  {false, '-', true, "hh:nn", 0},
                                       {false, '-', false, "hh:nn:ss", 3}, {true, '/', true, "hh:nn", 3}};
  const Homes homes = HomesOf(served, layouts);
  RunAll(homes);
  const std::vector<std::string> tickers = served.site.DayOptions().tickers;
  for (const auto& home : homes) {
    const FileTree expected = Expected(*home, tickers);
    EXPECT_EQ(TreeDifferences(expected, home->Data()), "") << home->layout.Name();
    // The year's ends were crossed: 2008 has bars from 1 January 2009 alone, and the 1-minute file
    // of 2009 holds the first hours of 2010.
    const Layout& l = home->layout;
    const std::string data = "HistoricalData/" + tickers.front() + "/";
    EXPECT_EQ(expected.count(data + (l.subFolder ? "1day/" : "") + "1day_2008.txt"), l.shift < 0 ? 1u : 0u);
    const std::string newYear = std::string("2010") + l.separator + "01" + l.separator + "01";
    EXPECT_EQ(
        expected.at(data + (l.subFolder ? "1min/" : "") + "1min_2009.txt").find(newYear) != std::string::npos,
        l.shift > 0);
  }
}

// Days added between runs, the new year's first day alone among them: after each run a home holds
// what a fresh home built from the grown site holds, and the bar files of a year that neither the
// new days nor the few days before them (checked again by each run) reach are not written again.
TEST(E2eBars, DaysAddedRunByRunGiveTheFilesOfAFreshBuild) {
  ServedSite served(BarSite(2010, 2, 2));  // 2010 so far: 1 January and one trading day
  const std::vector<Layout> layouts = {{true, '-', false, "hh:nn", -6}, {false, '/', true, "hh:nn:ss", 3}};
  const Homes homes = HomesOf(served, layouts);
  RunAll(homes);
  const auto untouched = WriteTimes(*homes[1], 2009);
  ASSERT_FALSE(untouched.empty());
  // The year's last trading day with 31 December, 1 January 2011 alone, two more days of 2011.
  Homes fresh;
  for (const int days : {2, 1, 2}) {
    const std::string added = tools::ArchiveName(served.site.Grow(days).back());
    fresh = HomesOf(served, layouts);
    RunAll(homes, fresh);
    for (std::size_t i = 0; i < homes.size(); ++i)
      EXPECT_EQ(TreeDifferences(fresh[i]->Data(), homes[i]->Data()), "")
          << layouts[i].Name() << ", up to " << added;
    EXPECT_EQ(WriteTimes(*homes[1], 2009), untouched) << "up to " << added;
  }
  EXPECT_EQ(TreeDifferences(Expected(*fresh[1], served.site.DayOptions().tickers), fresh[1]->Data()), "");
}

// Unticked timeframes keep their files byte for byte while the 1-minute files go on, into a new
// year; ticked again, they are brought up to date, also in the year finished meanwhile.
TEST(E2eBars, UntickedTimeframesKeepTheirFilesUntilTickedAgain) {
  ServedSite served(BarSite(2010, 2, 2));
  const std::vector<std::string> tickers = served.site.DayOptions().tickers;
  const std::vector<std::string_view> unticked = {"15min", "30min", "1hour", "4hour"};
  BarHome home(served, {false, '-', true, "hh:nn:ss", 3});
  RunAll({&home});
  const FileTree before = home.Data();

  served.site.Grow(2);  // the rest of 2010
  PrepareCliHome(home.dir.path(), served, false, home.layout.Ini(""));
  RunAll({&home});
  const FileTree grown = home.Data();
  EXPECT_NE(FilesOf(grown, {"1min"}), FilesOf(before, {"1min"}));
  EXPECT_EQ(FilesOf(grown, unticked), FilesOf(before, unticked));
  EXPECT_EQ(FilesOf(grown, {"5min", "1day"}), FilesOf(before, {"5min", "1day"}));

  served.site.Grow(1);  // 1 January 2011
  PrepareCliHome(home.dir.path(), served, false, home.layout.Ini("5min,1day"));
  RunAll({&home});
  FileTree expected = Expected(home, tickers);
  for (const auto& [path, text] : FilesOf(expected, unticked)) expected.erase(path);
  for (const auto& [path, text] : FilesOf(before, unticked)) expected[path] = text;
  EXPECT_EQ(TreeDifferences(expected, home.Data()), "") << "5min and 1day ticked";

  PrepareCliHome(home.dir.path(), served, false, home.layout.Ini(kAllFrames));
  RunAll({&home});
  EXPECT_EQ(TreeDifferences(Expected(home, tickers), home.Data()), "") << "all ticked again";
}

}  // namespace
}  // namespace arl::test
