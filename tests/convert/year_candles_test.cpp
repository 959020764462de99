// A year's candles for the chart: the bars of the year from its file and the files around it, their
// prices read back into numbers, and a fault that stops the bars with its reason.
#include "convert/year_candles.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "support/datetime.h"
#include "tests/common/temp_dir.h"

namespace arl {
namespace {

// Lines of minutes [from, to) of a day with the ticker column, "-" dates and "hh:nn" times; each
// minute's open climbs by 0.00001, its high 0.0002 above, its low 0.0001 below, its close 0.0001 above.
std::string Day(int y, int m, int d, int from, int to) {
  std::string text;
  char line[80];
  for (int t = from; t < to; ++t) {
    const double open = 1.1 + t * 1e-5;
    std::snprintf(line, sizeof line, "EURUSD,%04d-%02d-%02d,%02d:%02d,%.5f,%.5f,%.5f,%.5f\r\n", y, m, d,
                  t / 60, t % 60, open, open + 2e-4, open - 1e-4, open + 1e-4);
    text += line;
  }
  return text;
}

struct CandleHome {
  test::TempDir dir;
  RunOptions options;
  CandleHome() {
    options.keepTicker = true;
    options.dateSeparator = '-';
    options.timeFormat = "hh:nn";
  }
  Paths Home() const { return Paths::ForAppDir(dir.path()); }
  void Write(int year, const std::string& text) {
    const std::string folder = Home().CurrencyDir(options, "EURUSD");
    test::MakeDirs(folder);
    test::WriteFile(Home().YearFilePath(options, "EURUSD", std::to_string(year)), text);
  }
};

std::int64_t Minute(int y, int m, int d, int minuteOfDay) {
  return EncodeDate(y, m, d).DayNumber() * 1440 + minuteOfDay;
}

TEST(YearCandles, TheYearTakesItsDaysFromTheFilesAroundIt) {
  CandleHome home;
  // The lines a shift moved across the turn of the year sit in the files of the year before and after.
  home.Write(2022, Day(2022, 12, 30, 600, 660) + Day(2023, 1, 1, 0, 60));
  home.Write(2023, Day(2023, 1, 2, 540, 660) + Day(2023, 12, 29, 0, 30));
  home.Write(2024, Day(2023, 12, 31, 1080, 1140) + Day(2024, 1, 2, 0, 60));
  const YearCandles c = MakeYearCandles(home.Home(), home.options, "EURUSD", 2023);
  EXPECT_EQ(c.problem, "");
  std::vector<std::int64_t> days, hours;
  for (const Candle& d : c.daily) days.push_back(d.minute);
  for (const Candle& h : c.hourly) hours.push_back(h.minute);
  EXPECT_EQ(days, (std::vector<std::int64_t>{Minute(2023, 1, 1, 0), Minute(2023, 1, 2, 0),
                                             Minute(2023, 12, 29, 0), Minute(2023, 12, 31, 0)}));
  EXPECT_EQ(hours, (std::vector<std::int64_t>{Minute(2023, 1, 1, 0), Minute(2023, 1, 2, 540),
                                              Minute(2023, 1, 2, 600), Minute(2023, 12, 29, 0),
                                              Minute(2023, 12, 31, 1080)}));
  const Candle& jan2 = c.daily[1];
  EXPECT_DOUBLE_EQ(jan2.open, 1.1054);
  EXPECT_DOUBLE_EQ(jan2.high, 1.1 + 659e-5 + 2e-4);
  EXPECT_DOUBLE_EQ(jan2.low, 1.1054 - 1e-4);
  EXPECT_DOUBLE_EQ(jan2.close, 1.1 + 659e-5 + 1e-4);
}

TEST(YearCandles, AFaultKeepsTheCandlesBeforeItAndSaysWhy) {
  CandleHome home;
  // The bar of the 2nd ends once the 3rd's first 4-hour bar has ended, and is kept; the 3rd's never ends.
  home.Write(2023, Day(2023, 1, 2, 0, 60) + Day(2023, 1, 3, 0, 720) +
                       "EURUSD,2023-01-03,12:00,1.1,abc,1.0,1.1\r\n" + Day(2023, 1, 4, 0, 60));
  YearCandles c = MakeYearCandles(home.Home(), home.options, "EURUSD", 2023);
  EXPECT_NE(c.problem.find("価格が数値ではありません"), std::string::npos) << c.problem;
  ASSERT_EQ(c.daily.size(), 1u);
  EXPECT_EQ(c.daily[0].minute, Minute(2023, 1, 2, 0));

  home.options.timeFormat = "nn:ss";  // no hour: the times cannot be read back
  c = MakeYearCandles(home.Home(), home.options, "EURUSD", 2023);
  EXPECT_NE(c.problem.find("時刻の書式 \"nn:ss\""), std::string::npos) << c.problem;
  EXPECT_TRUE(c.daily.empty());
}

}  // namespace
}  // namespace arl
