// The cross-currency check: reading back the last lines, the day files it re-runs, its messages and
// the year marker, and the year files it refuses so that the year is rebuilt instead.
#include "support/datetime.h"
#include "tests/convert/convert_fixture.h"

namespace arl::test {
namespace {

std::string Minutes(const std::string& ticker, const std::string& date, int from, int to) {
  std::string out;
  for (int m = from; m <= to; ++m) {
    char time[32];
    std::snprintf(time, sizeof time, "%02d%02d00", m / 60, m % 60);
    out += Q(ticker, date, time);
  }
  return out;
}

class CrossCheckTest : public ConvertTest {
 protected:
  CrossCheckTest() {
    s().LatestYear = "2005";
    s().now = [] { return EncodeDate(2005, 6, 1); };
  }
  // Day files 050103..050107 (Monday to Friday) with both tickers, minutes 0..2 of each.
  void FiveDays() {
    for (int d = 3; d <= 7; ++d) {
      const std::string date = "2005010" + std::to_string(d);
      WriteDay("05010" + std::to_string(d) + ".txt",
               Minutes("EURUSD", date, 0, 2) + Minutes("USDJPY", date, 0, 2));
    }
  }
  bool Check() {
    LineList scratch = {"stale"};
    const bool ok = CrossCheckCurrencies(s(), scratch);
    scratchSeen = scratch;
    return ok;
  }
  std::string Marker() { return YearDir() + "complete.arlm"; }
  std::vector<std::string> OverlapLines() {
    std::vector<std::string> out;
    for (const auto& l : Logged())
      if (l == "と被ったので、そこから再生成します") out.push_back(l);
    return out;
  }
  LineList scratchSeen;
};

TEST_F(CrossCheckTest, EqualLastTimesReRunFourDaysBackAndWriteTheMarker) {
  FiveDays();
  ASSERT_TRUE(UpdateAll());
  const std::string eur = Year("EURUSD"), jpy = Year("USDJPY");
  Logged().clear();
  host().statuses.clear();
  ASSERT_TRUE(Check());
  EXPECT_EQ(Year("EURUSD"), eur);
  EXPECT_EQ(Year("USDJPY"), jpy);
  EXPECT_EQ(scratchSeen.size(), 5u);
  // Last minute 2005/01/06,18:02 (archive 01/07 00:02): day files from 01/03 00:02 on, so 050104 on.
  EXPECT_EQ(Logged()[0], "各通貨の2005年のマージファイルから");
  EXPECT_EQ(Logged()[2], "mergeされたfileの最後の行の中で最も古いDateは2005/01/07");
  EXPECT_EQ(Logged()[3], "最も新しいDateは2005/01/07で、その差は0行分");
  EXPECT_EQ(Logged()[4], "050104.txt 0行目にてEURUSDの2005/01/03,18:00:00分が");
  EXPECT_EQ(OverlapLines().size(), 2u);
  EXPECT_EQ(Logged().back(), "2005年の各通貨への分割・マージ処理に成功しました。");
  ASSERT_TRUE(FileExists(Marker()));
  EXPECT_EQ(FileSizeByName(Marker()), 0);
  EXPECT_EQ(host().statuses.front(), "通貨間チェック : EURUSD をチェック中");
}

TEST_F(CrossCheckTest, OneCurrencyTwoDaysBehindIsFilledIn) {
  FiveDays();
  ASSERT_TRUE(UpdateAll());
  const std::string jpy = Year("USDJPY");
  ASSERT_TRUE(Update({"050103.txt", "050104.txt", "050105.txt"}));  // both lose their last two days
  SetCurrencies("EURUSD\r\nUSDJPY\r\n");
  // Put USDJPY back to five days by hand so that only EURUSD is behind.
  WriteFile(YearPath("USDJPY"), jpy);
  Logged().clear();
  ASSERT_TRUE(Check());
  EXPECT_EQ(Logged()[2], "mergeされたfileの最後の行の中で最も古いDateは2005/01/05");
  EXPECT_EQ(Logged()[3], "最も新しいDateは2005/01/07で、その差は2880行分");
  EXPECT_EQ(Year("USDJPY"), jpy);
  EXPECT_EQ(Year("EURUSD").size(), jpy.size());
}

TEST_F(CrossCheckTest, HalfADayDifferenceRoundsToEvenAndLessIsZero) {
  FiveDays();
  ASSERT_TRUE(UpdateAll());
  // USDJPY ends 12 hours after EURUSD: half a day rounds to the even 0.
  WriteDay("050108.txt", Q("USDJPY", "20050107", "120200"));
  ASSERT_TRUE(UpdateAll());
  Logged().clear();
  ASSERT_TRUE(Check());
  EXPECT_EQ(Logged()[3], "最も新しいDateは2005/01/07で、その差は0行分");
}

TEST_F(CrossCheckTest, FilesThatCannotBeReadBackFailWithoutChangingAnything) {
  FiveDays();
  // Missing year file.
  EXPECT_FALSE(Check());
  ASSERT_TRUE(UpdateAll());
  const std::string eur = Year("EURUSD");

  struct Case {
    const char* what;
    std::string content;
  };
  const std::vector<Case> cases = {
      {"one line", "2005/01/06,18:02:00,1,2,3,4\r\n"},
      {"cut off", eur.substr(0, eur.size() - 5)},
      {"other separator",
       "2005-01-06,18:00:00,1,2,3,4\r\n2005-01-06,18:01:00,1,2,3,4\r\n2005-01-06,18:02:00,1,2,3,4\r\n"},
      {"ticker kept",
       "EURUSD,2005/01/06,18:00:00,1,2,3,4\r\nEURUSD,2005/01/06,18:01:00,1,2,3,4\r\nEURUSD,2005/01/"
       "06,18:02:00,1,2,3,4\r\n"},
  };
  for (const auto& c : cases) {
    WriteFile(YearPath("EURUSD"), c.content);
    Logged().clear();
    EXPECT_FALSE(Check()) << c.what;
    EXPECT_EQ(Year("EURUSD"), c.content) << c.what;
    EXPECT_FALSE(FileExists(Marker())) << c.what;
    ASSERT_EQ(Logged().size(), 3u) << c.what;  // the opening message and why the append cannot be made
    EXPECT_EQ(Logged()[2], "EURUSD の2005年のファイルの最後の行が読み取れないので、追記できません") << c.what;
  }

  // Cancelled while reading the last lines.
  WriteFile(YearPath("EURUSD"), eur);
  CancelAtCheck(s(), 1);
  EXPECT_FALSE(Check());
  s().cancel.Reset();
  s().cancel.onCheck = nullptr;

  // A day file name that is not a date is an error raised to the caller.
  WriteDay("readme.txt", "x");
  EXPECT_THROW(Check(), EConvertError);
}

TEST_F(CrossCheckTest, EmptyCurrencyListSucceedsAndBlankLinesAreNoTickers) {
  FiveDays();
  SetCurrencies("");
  ASSERT_TRUE(Check());
  EXPECT_TRUE(FileExists(Marker()));
  EXPECT_EQ(Logged().back(), "2005年の各通貨への分割・マージ処理に成功しました。");

  DeleteFile(Marker());
  SetCurrencies("EURUSD\r\n\r\n \t\r\n");
  ASSERT_TRUE(UpdateAll());
  EXPECT_TRUE(Check());
  EXPECT_TRUE(FileExists(Marker()));
  EXPECT_FALSE(DirectoryExists(s().paths.DataDir + "1min")) << "no folders for a blank line";
}

TEST_F(CrossCheckTest, FailedUpdateLogsTheFailure) {
  FiveDays();
  ASSERT_TRUE(UpdateAll());
  WriteDay("050107.txt", "EURUSD,20050107,000100,1\r\n");
  EXPECT_FALSE(Check());
  EXPECT_EQ(Logged()[Logged().size() - 2], "2005年の各通貨への分割・マージ処理に失敗しました。");
  EXPECT_EQ(Logged().back(), "この年の頭から新規にファイルを作成し直します");
  EXPECT_FALSE(FileExists(Marker()));
}

}  // namespace
}  // namespace arl::test
