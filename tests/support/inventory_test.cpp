// The inventory's counting of year files and listing of the archive, against figures worked out
// independently from the plan the test files were written from.
#include <gtest/gtest.h>

#include <cctype>
#include <map>
#include <set>

#include "support/datetime.h"
#include "support/inventory_archive.h"
#include "support/inventory_currencies.h"
#include "support/inventory_days.h"
#include "support/inventory_year_file.h"
#include "support/output_line.h"
#include "tests/common/temp_dir.h"

namespace arl {
namespace {

// Lines of a ticker at every `step` minutes from `from` to `to` (minutes of the day) on each day,
// printed in the options' shape; the expected figures are counted on the side.
struct Plan {
  RunOptions options;
  std::vector<std::int64_t> days;  // day numbers, ascending
  int from = 0, to = 1439, step = 1;

  std::string Text() const {
    std::string text;
    const CompiledFormat time(options.timeFormat, RunFormats(options));
    for (std::int64_t day : days)
      for (int m = from; m <= to; m += step) {
        const DateTime t{day * DateTime::kMsPerDay + std::int64_t{m} * 60000};
        std::string date = DayText(day);
        date[4] = date[7] = options.dateSeparator;
        text += LineHead(options, "EURUSD") + date + "," + time.Format(t) + ",1.1,1.2,1.0,1.1\r\n";
      }
    return text;
  }
  std::int64_t Lines() const { return static_cast<std::int64_t>(days.size()) * ((to - from) / step + 1); }
  // Weekdays from 1 January of `year` to the last day without a line.
  std::vector<std::int64_t> Gaps(int year) const {
    const std::set<std::int64_t> have(days.begin(), days.end());
    std::vector<std::int64_t> gaps;
    for (std::int64_t d = EncodeDate(year, 1, 1).DayNumber(); d <= days.back(); ++d) {
      const int w = DayOfWeek(DateTime{d * DateTime::kMsPerDay});
      if (w != 0 && w != 6 && !have.count(d)) gaps.push_back(d);
    }
    return gaps;
  }
};

std::int64_t Day(int y, int m, int d) { return EncodeDate(y, m, d).DayNumber(); }

YearFileCount Count(const test::TempDir& dir, const Plan& plan, const std::string& text, int year = 2024) {
  test::WriteFile(dir / "y.txt", text);
  return CountYearFile(dir / "y.txt", year, StampTimeReader(plan.options));
}

// Every line shape the options make, over more than one read buffer, with weekdays missing.
TEST(InventoryYearFile, FiguresForEveryLineShape) {
  const std::vector<std::string> formats = {"hh:nn:ss", "hh:nn", "h:n:s AM/PM", "hh\"h\"nn zzz"};
  for (bool ticker : {false, true})
    for (char separator : {'/', '-'})
      for (const std::string& format : formats) {
        SCOPED_TRACE(std::string(ticker ? "ticker " : "") + separator + " " + format);
        Plan plan;
        plan.options.keepTicker = ticker;
        plan.options.dateSeparator = separator;
        plan.options.timeFormat = format;
        plan.step = format == "hh:nn" ? 1 : 3;
        // 2024-01-01 is a Monday: Jan 2, 5 and the week of the 15th are missing.
        for (int d : {1, 3, 4, 8, 9, 10, 11, 12, 22, 23}) plan.days.push_back(Day(2024, 1, d));
        test::TempDir dir;
        test::WriteFile(dir / "y.txt", plan.Text());
        // The lines per date, told by the fast path and the full reading alike.
        std::map<std::int64_t, std::int64_t> perDay;
        const YearFileCount c = CountYearFile(dir / "y.txt", 2024, StampTimeReader(plan.options),
                                              [&](std::int64_t day, std::int64_t n) { perDay[day] += n; });
        EXPECT_EQ(perDay.size(), plan.days.size());
        for (const std::int64_t day : plan.days) EXPECT_EQ(perDay[day], plan.Lines() / 10);
        EXPECT_TRUE(c.present);
        EXPECT_EQ(c.lines, plan.Lines());
        EXPECT_EQ(c.badLines, 0);
        EXPECT_EQ(c.tornBytes, 0);
        EXPECT_EQ(StampText(c.first), "2024-01-01 00:00:00");
        const int lastMinute = 1439 - 1439 % plan.step;
        EXPECT_EQ(StampText(c.last), "2024-01-23 " + std::string(lastMinute / 60 < 10 ? "0" : "") +
                                         std::to_string(lastMinute / 60) + ":" +
                                         std::to_string(lastMinute % 60) + ":00");
        EXPECT_EQ(c.daysWithData, 10);
        EXPECT_EQ(c.weekdaysWithoutData, plan.Gaps(2024));
      }
}

// A negative shift puts the first hours of the year's first day on 31 December of the year before:
// they count as a date with data, but the weekdays without data start on 1 January.
TEST(InventoryYearFile, LinesShiftedIntoTheYearBefore) {
  Plan plan;
  plan.step = 10;
  plan.days = {Day(2013, 12, 31), Day(2014, 1, 1), Day(2014, 1, 3)};
  test::TempDir dir;
  const YearFileCount c = Count(dir, plan, plan.Text(), 2014);
  EXPECT_EQ(StampText(c.first), "2013-12-31 00:00:00");
  EXPECT_EQ(c.daysWithData, 3);
  EXPECT_EQ(c.weekdaysWithoutData, std::vector<std::int64_t>{Day(2014, 1, 2)});
}

TEST(InventoryYearFile, DamageIsDescribedNotFatal) {
  Plan plan;
  plan.days = {Day(2024, 1, 2)};
  plan.step = 60;
  test::TempDir dir;
  const std::string text = plan.Text();

  YearFileCount c = Count(dir, plan, text + "2024/01/02,23:59:00,1.1,1.");
  EXPECT_EQ(c.lines, 24) << "a torn last line is not counted";
  EXPECT_EQ(c.tornBytes, 26);
  EXPECT_EQ(StampText(c.last), "2024-01-02 23:00:00");

  // Lines that do not parse, among them one the fast path would almost take (hour 24).
  test::WriteFile(dir / "y.txt",
                  "2024/01/02,24:00:00,1,1,1,1\r\n" + text + "junk\r\n2024/13/02,00:00:00,1,1,1,1\r\n");
  std::int64_t counted = 0;  // per date: only the lines that parse
  c = CountYearFile(dir / "y.txt", 2024, StampTimeReader(plan.options),
                    [&](std::int64_t, std::int64_t n) { counted += n; });
  EXPECT_EQ(counted, 24);
  EXPECT_EQ(c.lines, 27);
  EXPECT_EQ(c.badLines, 3);
  EXPECT_EQ(c.firstBadLine, 1);
  EXPECT_EQ(StampText(c.first), "2024-01-02 00:00:00");
  EXPECT_EQ(c.daysWithData, 1);

  c = Count(dir, plan, "");
  EXPECT_TRUE(c.present);
  EXPECT_EQ(c.bytes, 0);
  EXPECT_EQ(c.first.day, kNoDay);

  c = CountYearFile(dir / "none.txt", 2024, StampTimeReader(plan.options));
  EXPECT_FALSE(c.present);
}

// The vector check of lines like the one before must accept exactly what the full reading accepts:
// single bytes of a line's date and time changed at random, counted against a plain check here.
TEST(InventoryYearFile, FastPathAgreesWithAPlainCheckOnCorruptedLines) {
  Plan plan;
  plan.days = {Day(2024, 1, 2), Day(2024, 1, 3), Day(2024, 1, 4)};
  const std::string text = plan.Text();
  std::vector<std::string> lines;
  for (std::size_t at = 0, end; at < text.size(); at = end + 1)
    lines.push_back(text.substr(at, (end = text.find('\n', at)) - at + 1));
  auto plainCheck = [](const std::string& line) {
    auto digits = [&](std::size_t at, int max) {
      return std::isdigit(static_cast<unsigned char>(line[at])) &&
             std::isdigit(static_cast<unsigned char>(line[at + 1])) &&
             (line[at] - '0') * 10 + (line[at + 1] - '0') <= max;
    };
    const bool separators = line[4] == line[7] && (line[4] == '/' || line[4] == '-') && line[10] == ',' &&
                            line[13] == ':' && line[16] == ':' && line[19] == ',';
    if (!separators || !digits(0, 99) || !digits(2, 99) || !digits(5, 12) || !digits(8, 31)) return false;
    const int year = std::stoi(line.substr(0, 4)), month = std::stoi(line.substr(5, 2)),
              day = std::stoi(line.substr(8, 2));
    const int monthDays[] = {31, year % 4 == 0 ? 29 : 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return year >= 1 && month >= 1 && day >= 1 && day <= monthDays[month - 1] && digits(11, 23) &&
           digits(14, 59) && digits(17, 59);
  };
  std::uint64_t random = 12345;
  const std::string bytes = "0123456789/-:,x 2";
  std::int64_t bad = 0;
  for (std::size_t i = 1; i < lines.size(); i += 7) {
    random = random * 6364136223846793005u + 1442695040888963407u;
    lines[i][(random >> 33) % 20] = bytes[(random >> 17) % bytes.size()];
    bad += !plainCheck(lines[i]);
  }
  std::string corrupted;
  for (const std::string& line : lines) corrupted += line;
  test::TempDir dir;
  const YearFileCount c = Count(dir, plan, corrupted);
  EXPECT_EQ(c.lines, plan.Lines());
  EXPECT_EQ(c.badLines, bad);
  EXPECT_GT(bad, 100);
}

TEST(InventoryYearFile, TimeFormatsThatCannotBeReadBack) {
  for (const std::string format : {"hn:ss", "yyyy hh:nn", "nn:ss", "hh AM/AM", "tt"}) {
    RunOptions options;
    options.timeFormat = format;
    EXPECT_FALSE(StampTimeReader(options).Readable()) << format;
  }
  // The dates are still counted; the times are not guessed.
  Plan plan;
  plan.options.timeFormat = "hnn";
  plan.days = {Day(2024, 1, 2), Day(2024, 1, 4)};
  plan.step = 120;
  test::TempDir dir;
  const YearFileCount c = Count(dir, plan, plan.Text());
  EXPECT_FALSE(c.timesRead);
  EXPECT_EQ(c.lines, 24);
  EXPECT_EQ(c.badLines, 0);
  EXPECT_EQ(c.daysWithData, 2);
  EXPECT_EQ(c.weekdaysWithoutData, (std::vector<std::int64_t>{Day(2024, 1, 1), Day(2024, 1, 3)}));
}

TEST(Inventory, ArchiveYearsAndCurrencyRows) {
  test::TempDir home;
  const Paths paths = Paths::ForAppDir(home.path());
  for (const char* name : {"240102.txt", "240103.txt", "230104.txt", "240230.txt", "notes.txt"})
    test::WriteFile(paths.YearArchiveDir("2024") + name, "x");
  test::WriteFile(paths.YearMarkerPath("2024"), "");
  test::MakeDirs(paths.YearArchiveDir("2023"));
  test::MakeDirs(paths.ArchiveDir + "misc");
  const std::vector<ArchiveYear> years = ListArchiveYears(paths);
  ASSERT_EQ(years.size(), 2u);
  EXPECT_TRUE(years[0].days.empty());
  EXPECT_EQ(years[1].days, (std::vector<std::int64_t>{Day(2024, 1, 2), Day(2024, 1, 3)}));
  EXPECT_TRUE(years[1].marker);

  // A ticker's years are its year files' and the archive's, in year order, tickers in list order.
  RunOptions options;
  test::WriteFile(paths.YearFilePath(options, "USDJPY", "2022"), "");
  test::WriteFile(paths.CurrencyDir(options, "USDJPY") + "1min_Merge.txt", "");
  const auto rows = CountCurrencyYears(paths, options, {"USDJPY", "EURUSD"}, {2024});
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0].ticker + std::to_string(rows[0].year), "USDJPY2022");
  EXPECT_EQ(rows[1].ticker + std::to_string(rows[1].year), "USDJPY2024");
  EXPECT_EQ(rows[2].ticker + std::to_string(rows[2].year), "EURUSD2024");
  EXPECT_TRUE(rows[0].count.present);
  EXPECT_FALSE(rows[2].count.present);
}

// A ticker's minutes per date, file by file in year order; a date a shift put in the next year's
// file is told with that file. A cancel stops it between files.
TEST(Inventory, TickerDaysFileByFile) {
  test::TempDir home;
  const Paths paths = Paths::ForAppDir(home.path());
  Plan plan;
  plan.step = 60;
  plan.days = {Day(2022, 12, 30)};
  test::WriteFile(paths.YearFilePath(plan.options, "EURUSD", "2022"), plan.Text());
  plan.days = {Day(2022, 12, 31), Day(2023, 1, 2)};
  test::WriteFile(paths.YearFilePath(plan.options, "EURUSD", "2023"), plan.Text());
  test::WriteFile(paths.CurrencyDir(plan.options, "EURUSD") + "1min_Merge.txt", "");
  std::vector<YearFileDays> files;
  CancelToken cancel;
  EXPECT_TRUE(CountTickerDays(paths, plan.options, "EURUSD", cancel,
                              [&](YearFileDays&& file) { files.push_back(std::move(file)); }));
  ASSERT_EQ(files.size(), 2u);
  EXPECT_EQ(files[0].year, 2022);
  EXPECT_EQ(files[0].linesByDay, (std::map<std::int64_t, std::int64_t>{{Day(2022, 12, 30), 24}}));
  EXPECT_EQ(files[1].linesByDay,
            (std::map<std::int64_t, std::int64_t>{{Day(2022, 12, 31), 24}, {Day(2023, 1, 2), 24}}));
  EXPECT_EQ(files[1].count.lines, 48);

  files.clear();
  EXPECT_FALSE(CountTickerDays(paths, plan.options, "EURUSD", cancel, [&](YearFileDays&& file) {
    files.push_back(std::move(file));
    cancel.Cancel();
  }));
  EXPECT_EQ(files.size(), 1u);
}

}  // namespace
}  // namespace arl
