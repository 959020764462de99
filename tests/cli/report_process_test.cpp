// autorateloom-cli --report as a process over homes whose year files the real conversion made from
// generated day files with known gaps: its figures against a count from the plan, the home left
// exactly as it was, damage reported without failing, the exit statuses and the json escaping.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "convert/currency_update.h"
#include "support/datetime.h"
#include "support/files.h"
#include "support/output_line.h"
#include "tests/common/cli_home.h"
#include "tests/common/fake_host.h"
#include "tools/lib/day_data.h"
#include "tools/lib/fake_site.h"
#include "tools/lib/site_server.h"

namespace arl::test {
namespace {

std::int64_t Day(int y, int m, int d) { return EncodeDate(y, m, d).DayNumber(); }
std::string Text(std::int64_t day) {
  int y, m, d;
  DecodeDate(DateTime{day * DateTime::kMsPerDay}, y, m, d);
  char text[16];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", y, m, d);
  return text;
}

// 2014 in the archive: 1 January is a Wednesday and a day file, so the shift of -6 hours puts its
// first hours on 31 December 2013. The 13th has no day file; GBPUSD is absent from the day files of
// the 7th and 8th.
struct ReportHome {
  FakeSession fs{{"EURUSD", "USDJPY", "GBPUSD"}};
  std::map<std::string, std::vector<int>> days;  // ticker -> days of January with its lines

  explicit ReportHome(const OptionValues& options) {
    Session& s = fs.session;
    s.optionValues = options;
    s.formats = RunFormats(s.Options());
    WriteSettings(s.paths.SettingsPath, StoredSettings{{}, options}, false);
    LineList files;
    for (int d : {1, 2, 3, 6, 7, 8, 9, 10, 14, 15}) {
      tools::DayDataOptions day;
      day.gapRate = 0;
      day.tickers.clear();
      for (const std::string t : {"EURUSD", "USDJPY", "GBPUSD"}) {
        if (t == "GBPUSD" && (d == 7 || d == 8)) continue;
        day.tickers.push_back(t);
        days[t].push_back(d);
      }
      const tools::Ymd date{2014, 1, d};
      WriteFile(s.paths.DayFilePath("2014", tools::DayFileNameOf(date)), tools::MakeDayFile(date, day));
      files.push_back(tools::DayFileNameOf(date));
    }
    EXPECT_TRUE(UpdateCurrencyYearFiles(s, files, "2014"));
  }

  // The csv the report must print, worked out from the plan: every archive day D of a ticker gives
  // 1440 lines, from D-1 18:00 to D 17:59.
  std::string ExpectedCsv() {
    std::string csv = "ticker,year,lines,first,last,days_with_data,weekdays_without_data\n";
    for (const std::string t : {"EURUSD", "USDJPY", "GBPUSD"}) {
      std::set<std::int64_t> dates;
      for (int d : days[t]) dates.insert({Day(2014, 1, d) - 1, Day(2014, 1, d)});
      std::string gaps;
      for (std::int64_t d = Day(2014, 1, 1); d <= *dates.rbegin(); ++d) {
        const int w = DayOfWeek(DateTime{d * DateTime::kMsPerDay});
        if (w != 0 && w != 6 && !dates.count(d)) gaps += (gaps.empty() ? "" : " ") + Text(d);
      }
      csv += t + ",2014," + std::to_string(days[t].size() * 1440) + "," + Text(*dates.begin()) +
             " 18:00:00," + Text(*dates.rbegin()) + " 17:59:00," + std::to_string(dates.size()) + "," + gaps +
             "\n";
    }
    return csv;
  }
  std::string Home() const { return fs.home.path(); }
};

TEST(ReportProcess, FiguresMatchThePlanForBothLineShapesAndTheHomeIsUntouched) {
  OptionValues other;
  other.RadioGroup1 = 0;  // ticker column
  other.RadioGroup2 = 1;  // "-" dates
  other.RadioGroup3 = 0;  // no 1min/ folder
  other.EditFileHeadName = "";
  other.EditLongTimeFormat = "hh:nn";
  for (const OptionValues& options : {OptionValues{}, other}) {
    ReportHome home(options);
    const FileTree before = ReadTree(home.Home());
    const ProcessOutcome o = RunCliProcess({"--home", home.Home(), "--report", "--format", "csv"});
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(o.out, home.ExpectedCsv());
    EXPECT_EQ(o.err, "") << "nothing on stderr when it is no terminal";
    EXPECT_EQ(TreeDifferences(before, ReadTree(home.Home())), "");

    const ProcessOutcome text = RunCliProcess({"--home", home.Home(), "--report"});
    EXPECT_EQ(text.status, 0);
    EXPECT_NE(text.out.find("year  day_files  first       last        marker\n"
                            "2014  10         2014-01-01  2014-01-15  no\n"),
              std::string::npos)
        << text.out;
    // The 13th has no day file, but the 14th's first hours fall on it.
    EXPECT_NE(text.out.find("GBPUSD 2014: 2014-01-07\n"), std::string::npos) << text.out;
  }
}

TEST(ReportProcess, DamageIsReportedAndTheStatusSaysSo) {
  ReportHome home(OptionValues{});
  const Paths& paths = home.fs.session.paths;
  const RunOptions options;
  // A run appending the next day was cut off in the middle of a line.
  const std::string path = paths.YearFilePath(options, "USDJPY", "2014");
  WriteFile(path, ReadFile(path) + "2014/01/15,18:00:00,1.0");
  WriteFile(paths.YearFilePath(options, "EURUSD", "2013"), "");

  ProcessOutcome o = RunCliProcess({"--home", home.Home(), "--report", "--format=csv"});
  EXPECT_EQ(o.status, 3);
  EXPECT_NE(o.out.find("USDJPY,2014,14400,2013-12-31 18:00:00,2014-01-15 17:59:00,"), std::string::npos)
      << o.out;
  EXPECT_NE(o.out.find("EURUSD,2013,0,,,0,\n"), std::string::npos) << o.out;
  EXPECT_NE(o.err.find("USDJPY 2014 (torn)"), std::string::npos) << o.err;
  EXPECT_NE(o.err.find("EURUSD 2013 (empty)"), std::string::npos) << o.err;

  o = RunCliProcess({"--home", home.Home(), "--report", "--format", "json", "--ticker", "USDJPY"});
  EXPECT_EQ(o.status, 3);
  EXPECT_NE(o.out.find("\"ticker\": \"USDJPY\", \"year\": 2014, \"status\": \"torn\""), std::string::npos)
      << o.out;
  EXPECT_EQ(o.out.find("EURUSD"), std::string::npos);

  EXPECT_EQ(RunCliProcess({"--home", home.Home() + "nothing", "--report"}).status, 1);
  EXPECT_EQ(RunCliProcess({"--home", home.Home(), "--report", "--format", "xml"}).status, 2);
  EXPECT_EQ(RunCliProcess({"--home", home.Home(), "--ticker", "EURUSD"}).status, 2);
  WriteFile(paths.SettingsPath, "[Form]\r\nEditGmtGap=x\r\n");
  EXPECT_EQ(RunCliProcess({"--home", home.Home(), "--report"}).status, 1);
}

TEST(ReportProcess, JsonEscapesWhatATickerHolds) {
  TempDir home;
  const std::string ticker = "A\"B\x01\xff";
  WriteFile(home / ("HistoricalData/" + ticker + "/1min/1min_2014.txt"), "2014/01/02,00:00:00,1,1,1,1\r\n");
  const ProcessOutcome o =
      RunCliProcess({"--home", home.path(), "--report", "--format", "json", "--ticker", ticker});
  EXPECT_EQ(o.status, 0) << o.err;
  EXPECT_NE(
      o.out.find(
          "{\"ticker\": \"A\\\"B\\u0001\\ufffd\", \"year\": 2014, \"status\": \"ok\", \"lines\": 1, "
          "\"first\": \"2014-01-02 00:00:00\", \"last\": \"2014-01-02 00:00:00\", \"days_with_data\": 1, "
          "\"weekdays_without_data\": [\"2014-01-01\"], \"note\": \"\"}"),
      std::string::npos)
      << o.out;
  EXPECT_TRUE(o.out.starts_with("{\n  \"home\": ") && o.out.ends_with("\n  ]\n}\n")) << o.out;
}

// --site reads the index and year pages only: a day the site lists without a day file on disk is
// named, a year the disk lacks altogether gets a row, and no archive is fetched.
TEST(ReportProcess, SiteDaysNotOnDisk) {
  TempDir siteDir, home;
  tools::FakeSiteOptions options;
  options.firstYear = 2010;
  options.lastYear = 2011;
  options.daysPerYear = 4;
  options.tickers = 1;
  options.lastMinute = 2;
  const tools::FakeSite site = tools::FakeSite::Generate(siteDir.path(), options);
  tools::SiteServer server(site.Dir());
  server.Start();
  const Paths paths = Paths::ForAppDir(home.path());
  WriteFile(paths.SettingsPath, "[Form]\r\nEditURL=" + server.Url(tools::FakeSite::kIndexPath) + "\r\n");
  WriteFile(paths.CurrencyListPath, "EURUSD\r\n");
  const std::vector<tools::Ymd> days = site.PublishedDays(2010);
  for (std::size_t i = 0; i < days.size(); ++i)
    if (i != 2) WriteFile(paths.DayFilePath("2010", tools::DayFileNameOf(days[i])), "x");

  const ProcessOutcome o = RunCliProcess({"--home", home.path(), "--report", "--site", "--format", "json"});
  EXPECT_EQ(o.status, 0) << o.err;
  const auto& d = days[2];
  char missing[16];
  std::snprintf(missing, sizeof missing, "%04d-%02d-%02d", d.year, d.month, d.day);
  EXPECT_NE(o.out.find("\"year\": 2010, \"day_files\": 3, "), std::string::npos) << o.out;
  EXPECT_NE(o.out.find("\"marker\": false, \"not_on_disk\": [\"" + std::string(missing) + "\"]}"),
            std::string::npos)
      << o.out;
  EXPECT_NE(
      o.out.find("{\"year\": 2011, \"day_files\": 0, \"first\": null, \"last\": null, \"marker\": false, "
                 "\"not_on_disk\": [\"2011-01-03\", \"2011-01-04\", \"2011-01-05\", \"2011-01-06\"]}"),
      std::string::npos)
      << o.out;
  EXPECT_NE(o.out.find("\"site_error\": null"), std::string::npos);
  EXPECT_EQ(server.Requests(tools::FakeSite::ArchivePath(d)), 0);
  EXPECT_FALSE(DirectoryExists(paths.YearArchiveDir("2011"))) << "nothing is made on disk";
}

}  // namespace
}  // namespace arl::test
