// What ends a merge early: errors (one fixed advice message), a currency without year files (a
// message box), and an empty currency list.
#include "tests/merge/merge_fixture.h"

namespace arl::test {
namespace {

class MergeFailureTest : public MergeTest {};

TEST_F(MergeFailureTest, ChangedDateSeparatorEndsTheMergeWithTheAdvice) {
  const std::string all = WriteYears(2008, 2009);
  WriteFile(MergePath("EURUSD"), FirstLines(all, 5));
  s.formats.DateSeparator = '-';
  MergeAll(s);
  EXPECT_EQ(Log(),
            "全ての年を結合するMerge.txtを作成します\n"
            "EURUSD Merge.txtの追記作成に失敗しました。\n"
            "再度実行してみてください\n"
            "※ 数回実行し直しても問題が解決しない場合は\n"
            "OriginalArchiveフォルダとHistoricalDataフォルダを削除してから\n"
            "再度実行してください\n");
  EXPECT_EQ(Merge(), FirstLines(all, 5));
  EXPECT_FALSE(FileExists(MergePath("USDJPY")));  // no later currency is merged
}

TEST_F(MergeFailureTest, UnreadableLastLinesFail) {
  WriteYears(2008, 2009);
  for (const char* last :
       {"2008/01/02", "2008/01/02,99:99:99,1", "EURUSD,2008/01/02,00:00:00,1", "\"2008/01/02"}) {
    SCOPED_TRACE(last);
    host.logged.clear();
    WriteFile(MergePath("EURUSD"), std::string(last) + "\r\n");
    MergeAll(s);
    EXPECT_TRUE(Failed("EURUSD"));
    EXPECT_FALSE(Completed());
  }
}

TEST_F(MergeFailureTest, MissingYearBetweenEndsTheMergeWithTheAdvice) {
  const std::string y2008 = YearText("EURUSD", 2008);
  WriteFile(YearPath("EURUSD", 2008), y2008);
  WriteFile(YearPath("EURUSD", 2010), YearText("EURUSD", 2010));
  WriteFile(MergePath("EURUSD"), y2008);
  MergeAll(s);
  EXPECT_TRUE(Failed("EURUSD"));
  EXPECT_FALSE(Completed());
  EXPECT_EQ(Merge(), y2008);
}

TEST_F(MergeFailureTest, SecondCurrencyFailureNamesThatCurrency) {
  WriteYears(2008, 2008);
  WriteFile(MergePath("USDJPY"), "garbage\r\n");
  MergeAll(s);
  EXPECT_EQ(Count("EURUSDのMerge.txtの作成OK"), 1);
  EXPECT_TRUE(Failed("USDJPY"));
  EXPECT_EQ(Count("EURUSD Merge.txtの追記作成に失敗しました。"), 0);
}

TEST_F(MergeFailureTest, UnreadableCurrencyListFailsBeforeAnyTicker) {
  DeleteFile(s.paths.AppDir + "CurrencyList.txt");
  MergeAll(s);
  EXPECT_EQ(host.logged.at(1), " Merge.txtの追記作成に失敗しました。");
  EXPECT_EQ(host.logged.size(), 6u);
}

TEST_F(MergeFailureTest, EmptyHeadNameStopsWithTheBoxAtTheFirstCurrency) {
  WriteYears(2008, 2009);
  host.options.EditFileHeadName = "";
  MergeAll(s);
  ASSERT_EQ(host.messageBoxes.size(), 1u);
  EXPECT_EQ(host.messageBoxes[0],
            "最新の年が取得できないので、マージ処理を中断します\r\n"
            "再度実行しても問題が解決しない場合は、本ソフト終了後、OriginalArchiveフォルダを丸ごと削除してか"
            "ら再度実行してください\r\n"
            "※ まだ一度もファイルのDLと結合処理を実行していない場合、単独マージ処理は行えません");
  EXPECT_EQ(host.captions[0], "Auto Rateloom - Ver 0.02 -");
  EXPECT_EQ(Log(), "全ての年を結合するMerge.txtを作成します\n");
  EXPECT_FALSE(FileExists(MergePath("EURUSD")));
}

TEST_F(MergeFailureTest, CurrencyWithoutYearFilesStopsTheLaterOnes) {
  WriteFile(YearPath("USDJPY", 2008), YearText("USDJPY", 2008));
  MergeAll(s);
  EXPECT_EQ(host.messageBoxes.size(), 1u);
  EXPECT_TRUE(DirectoryExists(Dir("EURUSD")));  // created on the way
  EXPECT_FALSE(FileExists(MergePath("USDJPY")));
  EXPECT_FALSE(Completed());
}

TEST_F(MergeFailureTest, EmptyCurrencyListOnlyAnnouncesAndCompletes) {
  WriteFile(s.paths.AppDir + "CurrencyList.txt", "");
  MergeAll(s);
  EXPECT_EQ(Log(), "全ての年を結合するMerge.txtを作成します\n全てのMerge.txtの作成完了\n");
  EXPECT_TRUE(host.messageBoxes.empty());
}

// A head name with four digits of its own would give every file, the merge file included, the same
// year; the year is then looked for after the head name.
TEST_F(MergeFailureTest, HeadNameWithDigitsTakesTheYearAfterIt) {
  host.options.EditFileHeadName = "2024x_";
  const std::string y2008 = YearText("EURUSD", 2008), y2009 = YearText("EURUSD", 2009);
  WriteFile(Dir("EURUSD") + "2024x_2008.txt", y2008);
  WriteFile(Dir("EURUSD") + "2024x_2009.txt", y2009);
  WriteFile(Dir("EURUSD") + "2024x_Merge.txt", FirstLines(y2008, 3));
  WriteFile(Dir("USDJPY") + "2024x_2009.txt", YearText("USDJPY", 2009));
  MergeAll(s);
  EXPECT_EQ(ReadFile(Dir("EURUSD") + "2024x_Merge.txt"), y2008 + y2009);
  EXPECT_EQ(s.LatestYear, "2009");
  EXPECT_TRUE(Completed());
}

}  // namespace
}  // namespace arl::test
