// Days offered again: the overlap key, the cut and the regeneration, the window of later day files,
// and what a call does with nothing to convert or when it is cancelled.
#include "tests/convert/convert_fixture.h"

namespace arl::test {
namespace {

// Minutes [from, to] of a day, one ticker, prices that tell the day file apart.
std::string Minutes(const std::string& ticker, const std::string& date, int from, int to,
                    const std::string& mark = "1") {
  std::string out;
  for (int m = from; m <= to; ++m) {
    char time[32];
    std::snprintf(time, sizeof time, "%02d%02d00", m / 60, m % 60);
    out += Q(ticker, date, time, mark + ",2,0," + mark);
  }
  return out;
}

int CountOf(const std::string& text, const std::string& part) {
  int n = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

class OverlapTest : public ConvertTest {};

TEST_F(OverlapTest, DayOfferedAgainWholeOrGrownReplacesItsMinutes) {
  WriteDay("050103.txt", "head\r\n" + Minutes("EURUSD", "20050103", 0, 9));
  WriteDay("050104.txt", Minutes("EURUSD", "20050104", 0, 4));
  ASSERT_TRUE(UpdateAll());
  const std::string first = Year("EURUSD");

  // The same day again: one overlap message naming the day file, its line and the existing line.
  Logged().clear();
  ASSERT_TRUE(Update({"050104.txt"}));
  EXPECT_EQ(Year("EURUSD"), first);
  ASSERT_EQ(Logged().size(), 5u);
  EXPECT_EQ(Logged()[0], "050104.txt 0行目にてEURUSDの2005/01/03,18:00:00分が");
  EXPECT_EQ(Logged()[1], "2005/01/03,18:00:00,1,2,0,1");
  EXPECT_EQ(Logged()[2], "と被ったので、そこから再生成します");
  EXPECT_EQ(Logged()[3], "EURUSD 050104.txt～050104.txt チェック&追記 OK.");
  EXPECT_EQ(Logged()[4], "USDJPY 050104.txt～050104.txt チェック&追記 OK.");

  // The day grown, with new prices: its old minutes are replaced and the new ones added once.
  WriteDay("050104.txt", Minutes("EURUSD", "20050104", 0, 7, "9"));
  ASSERT_TRUE(Update({"050104.txt"}));
  const std::string now = Year("EURUSD");
  EXPECT_EQ(now.substr(0, first.find("2005/01/03,18:00")), first.substr(0, first.find("2005/01/03,18:00")));
  EXPECT_EQ(CountOf(now, "2005/01/03,18:0"), 8);
  EXPECT_EQ(CountOf(now, ",9,2,0,9"), 8);
}

TEST_F(OverlapTest, LaterDayFileWhoseFirstMinuteEndsThePreviousOneIsWrittenOnce) {
  WriteDay("050103.txt",
           Minutes("EURUSD", "20050103", 0, 3, "1") + Q("EURUSD", "20050104", "000000", "7,7,7,7"));
  WriteDay("050104.txt", Minutes("EURUSD", "20050104", 0, 2, "2"));
  ASSERT_TRUE(UpdateAll());
  const std::string y = Year("EURUSD");
  EXPECT_EQ(CountOf(y, "2005/01/03,18:00:00"), 1);
  EXPECT_EQ(CountOf(y, "7,7,7,7"), 0);  // cut back, then written from the later day file
  EXPECT_NE(y.find("2005/01/03,18:00:00,2,2,0,2"), std::string::npos);
  EXPECT_EQ(Logged()[0], "050104.txt 0行目にてEURUSDの2005/01/03,18:00:00分が");
}

TEST_F(OverlapTest, FirstDayFileHittingMidFileDropsTheRestAndRebuildsIt) {
  for (int d = 3; d <= 7; ++d)
    WriteDay("05010" + std::to_string(d) + ".txt", Minutes("EURUSD", "2005010" + std::to_string(d), 0, 5));
  ASSERT_TRUE(UpdateAll());
  const std::string whole = Year("EURUSD");
  // Day 5 changed on disk; re-running from day 4 takes days 4 to 7 from the day files again.
  WriteDay("050105.txt", Minutes("EURUSD", "20050105", 0, 5, "5"));
  ASSERT_TRUE(Update({"050107.txt", "050104.txt", "050105.txt", "050106.txt"}));  // sorted by the call
  const std::size_t at = whole.find("2005/01/04,18:00:00");
  const std::string y = Year("EURUSD");
  EXPECT_EQ(CountOf(y, ",5,2,0,5"), 6);
  EXPECT_EQ(CountOf(y, "\r\n"), 30);
  EXPECT_EQ(y.substr(0, at), whole.substr(0, at));
}

TEST_F(OverlapTest, TickerAbsentFromTheFirstReRunDayIsNotWrittenTwice) {
  WriteDay("050103.txt", Minutes("EURUSD", "20050103", 0, 2) + Minutes("USDJPY", "20050103", 0, 2));
  WriteDay("050104.txt", Minutes("EURUSD", "20050104", 0, 2));  // USDJPY missing this day
  WriteDay("050105.txt", Minutes("EURUSD", "20050105", 0, 2) + Minutes("USDJPY", "20050105", 0, 2));
  ASSERT_TRUE(UpdateAll());
  const std::string jpy = Year("USDJPY");
  ASSERT_TRUE(Update({"050104.txt", "050105.txt"}));
  EXPECT_EQ(Year("USDJPY"), jpy);
  EXPECT_EQ(CountOf(Year("USDJPY"), "\r\n"), 6);
}

TEST_F(OverlapTest, CurrencyWithoutLinesKeepsItsFileOrGetsNone) {
  WriteDay("050103.txt", Minutes("EURUSD", "20050103", 0, 2) + Minutes("USDJPY", "20050103", 0, 2));
  WriteDay("050104.txt", Minutes("EURUSD", "20050104", 0, 2));
  ASSERT_TRUE(Update({"050103.txt"}));
  const std::string jpy = Year("USDJPY");
  ASSERT_TRUE(Update({"050104.txt"}));
  EXPECT_EQ(Year("USDJPY"), jpy);
  EXPECT_EQ(Logged().back(), "USDJPY 050104.txt～050104.txt チェック&追記 OK.");

  // An empty year file that gets no lines is not left behind.
  WriteFile(YearPath("USDJPY"), "");
  ASSERT_TRUE(Update({"050104.txt"}));
  EXPECT_FALSE(FileExists(YearPath("USDJPY")));
}

TEST_F(OverlapTest, EmptyListsAndCancel) {
  WriteDay("050103.txt", Minutes("EURUSD", "20050103", 0, 2));
  // No day files: the call fails; the first currency's folders are made, no empty file stays.
  MakeDirs(s().paths.DataDir + "EURUSD/1min/");
  WriteFile(YearPath("EURUSD"), "");
  EXPECT_FALSE(Update({}));
  EXPECT_FALSE(FileExists(YearPath("EURUSD")));
  EXPECT_TRUE(DirectoryExists(s().paths.DataDir + "EURUSD/1min/"));

  // No currencies: nothing is read (a missing day file does no harm) and the call succeeds.
  SetCurrencies("");
  EXPECT_TRUE(Update({"nosuch.txt"}));
  EXPECT_TRUE(Logged().empty());

  // A missing currency list or day file is an error, reported as false with its text in the log.
  DeleteFile(s().paths.AppDir + "CurrencyList.txt");
  EXPECT_FALSE(Update({"050103.txt"}));
  SetCurrencies("EURUSD\r\n");
  EXPECT_FALSE(Update({"050103.txt", "nosuch.txt"}));
  EXPECT_FALSE(FileExists(YearPath("EURUSD")));
  ASSERT_EQ(Logged().size(), 2u);
  EXPECT_TRUE(Logged()[1].starts_with("2005年の変換中にエラーが発生しました (")) << Logged()[1];
  EXPECT_NE(Logged()[1].find("nosuch.txt"), std::string::npos) << Logged()[1];
  Logged().clear();

  // Cancelled at the first day file: false, nothing written, nothing logged.
  CancelAtCheck(s(), 1);
  EXPECT_FALSE(Update({"050103.txt"}));
  EXPECT_FALSE(FileExists(YearPath("EURUSD")));
  EXPECT_TRUE(Logged().empty());
  EXPECT_FALSE(FileExists(YearPath("EURUSD") + ".part"));
}

TEST_F(OverlapTest, TickerListedTwiceGetsItsSecondTurn) {
  SetCurrencies("EURUSD\r\nUSDJPY\r\nEURUSD\r\n");
  WriteDay("050103.txt", Minutes("EURUSD", "20050103", 0, 2));
  ASSERT_TRUE(UpdateAll());
  EXPECT_EQ(CountOf(Year("EURUSD"), "\r\n"), 3);
  ASSERT_EQ(Logged().size(), 6u);
  EXPECT_EQ(Logged()[0], "EURUSD 050103.txt～050103.txt チェック&追記 OK.");
  EXPECT_EQ(Logged()[1], "USDJPY 050103.txt～050103.txt チェック&追記 OK.");
  EXPECT_EQ(Logged()[2], "050103.txt 0行目にてEURUSDの2005/01/02,18:00:00分が");
  EXPECT_EQ(Logged()[5], "EURUSD 050103.txt～050103.txt チェック&追記 OK.");
}

}  // namespace
}  // namespace arl::test
