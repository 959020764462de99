// The generated archive data that the tests, benchmarks, fake site and demo rely on.
#include <gtest/gtest.h>

#include "support/text.h"
#include "tools/lib/day_data.h"

namespace arl::tools {
namespace {

TEST(GeneratorTest, CalendarAndNames) {
  EXPECT_EQ(DefaultTickers(1000).size(), 70u);
  EXPECT_EQ(DefaultTickers(2), (std::vector<std::string>{"EURUSD", "GBPUSD"}));
  EXPECT_TRUE(IsTradingDay(2005, 1, 3));     // a Monday
  EXPECT_FALSE(IsTradingDay(2005, 1, 8));    // a Saturday
  EXPECT_FALSE(IsTradingDay(2007, 1, 1));    // New Year on a Monday
  EXPECT_FALSE(IsTradingDay(2006, 12, 25));  // Christmas on a Monday
  EXPECT_EQ(TradingDays(2005).size(), 260u);
  EXPECT_EQ(TradingDays(2007).size(), 259u);
  EXPECT_EQ(ArchiveName({2005, 1, 3}), "030105.zip");
  EXPECT_EQ(DayFileNameOf({2005, 1, 3}), "050103.txt");
}

TEST(GeneratorTest, DayFilesAreDeterministicWellFormedAndTimeOrdered) {
  DayDataOptions o;
  o.tickers = {"EURUSD", "USDJPY"};
  const std::string a = MakeDayFile({2005, 1, 3}, o);
  EXPECT_EQ(a, MakeDayFile({2005, 1, 3}, o));
  o.seed = 2;
  EXPECT_NE(a, MakeDayFile({2005, 1, 3}, o));

  LineList lines;
  SplitLines(a, lines);
  ASSERT_GT(lines.size(), 2500u);
  EXPECT_EQ(lines[0].find("EURUSD"), std::string::npos);  // the heading holds no ticker
  std::string lastTicker, lastTime;
  for (std::size_t i = 1; i < lines.size(); ++i) {
    const std::vector<std::string> f = SplitCommaText(lines[i]);
    ASSERT_EQ(f.size(), 7u) << lines[i];
    EXPECT_EQ(f[1], "20050103");
    ASSERT_EQ(f[2].size(), 6u);
    if (f[0] == lastTicker) {
      EXPECT_LT(lastTime, f[2]);
    }
    lastTicker = f[0];
    lastTime = f[2];
    const std::size_t decimals = f[3].size() - f[3].find('.') - 1;
    const bool yen = f[0] == "USDJPY";
    EXPECT_TRUE(yen ? (decimals == 2 || decimals == 3) : (decimals == 4 || decimals == 5)) << lines[i];
    EXPECT_LE(std::stod(f[5]), std::stod(f[4])) << lines[i];  // low <= high
  }
  EXPECT_EQ(a.substr(a.size() - 2), "\r\n");
}

}  // namespace
}  // namespace arl::tools
