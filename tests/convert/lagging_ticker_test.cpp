// The cross-check when one ticker's year file ends days before the others': the re-run starts from
// the oldest last line, so the lagging ticker gets every day it is missing, not only the last few.
#include "support/datetime.h"
#include "tests/convert/convert_fixture.h"

namespace arl::test {
namespace {

class LaggingTickerTest : public ConvertTest {
 protected:
  LaggingTickerTest() {
    s().LatestYear = "2005";
    s().now = [] { return EncodeDate(2005, 6, 1); };
  }
  // Two trading weeks, 2005/01/03 to 01/14, minutes 0..2 of both tickers each day.
  LineList TwoWeeks() {
    LineList names;
    for (int d : {3, 4, 5, 6, 7, 10, 11, 12, 13, 14}) {
      const std::string dd = (d < 10 ? "0" : "") + std::to_string(d);
      std::string day;
      for (const char* ticker : {"EURUSD", "USDJPY"})
        for (const char* time : {"000000", "000100", "000200"}) day += Q(ticker, "200501" + dd, time);
      names.push_back("0501" + dd + ".txt");
      WriteDay(names.back(), day);
    }
    return names;
  }
};

TEST_F(LaggingTickerTest, ATickerAWeekBehindIsRebuiltToTheFreshResult) {
  const LineList days = TwoWeeks();
  ASSERT_TRUE(UpdateAll());
  const std::string eur = Year("EURUSD"), jpy = Year("USDJPY");
  // USDJPY ends five trading days (a calendar week) before EURUSD.
  ASSERT_TRUE(Update(LineList(days.begin(), days.begin() + 5)));
  ASSERT_NE(Year("USDJPY"), jpy);
  WriteFile(YearPath("EURUSD"), eur);
  LineList scratch;
  ASSERT_TRUE(CrossCheckCurrencies(s(), scratch));
  EXPECT_EQ(Year("USDJPY"), jpy);
  EXPECT_EQ(Year("EURUSD"), eur);
}

}  // namespace
}  // namespace arl::test
