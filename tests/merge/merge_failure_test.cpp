// What ends a merge early: errors (one fixed advice message and the error's text); what does not: a
// currency without year files (skipped with a message), an empty currency list.
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
            "再度実行してください\n"
            "(エラーの内容: '2008/01/02' is not a valid date)\n");
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
  ASSERT_EQ(host.logged.size(), 7u);
  EXPECT_TRUE(host.logged.back().starts_with("(エラーの内容: ")) << host.logged.back();
  EXPECT_TRUE(s.outcome.Failed());
}

TEST_F(MergeFailureTest, EmptyHeadNameMergesTheFilesNamedByTheirYearAlone) {
  s.optionValues.EditFileHeadName = "";
  const std::string y2008 = YearText("EURUSD", 2008), y2009 = YearText("EURUSD", 2009);
  WriteFile(Dir("EURUSD") + "2008.txt", y2008);
  WriteFile(Dir("EURUSD") + "2009.txt", y2009);
  WriteFile(Dir("USDJPY") + "2009.txt", YearText("USDJPY", 2009));
  MergeAll(s);
  EXPECT_EQ(ReadFile(Dir("EURUSD") + "Merge.txt"), y2008 + y2009);
  EXPECT_TRUE(Completed());
  EXPECT_TRUE(host.messageBoxes.empty());
}

TEST_F(MergeFailureTest, ACurrencyWithoutYearFilesIsSkippedAndTheOthersAreMerged) {
  const std::string y2008 = YearText("USDJPY", 2008);
  WriteFile(YearPath("USDJPY", 2008), y2008);
  MergeAll(s);
  EXPECT_TRUE(host.messageBoxes.empty());
  EXPECT_EQ(Count("EURUSD の年ファイルがないので、この通貨のMerge.txtは作りません"), 1);
  EXPECT_EQ(Count("OriginalArchiveフォルダ"), 0) << "no advice to delete the archive";
  EXPECT_TRUE(DirectoryExists(Dir("EURUSD")));  // created on the way
  EXPECT_EQ(Merge("USDJPY"), y2008);
  EXPECT_FALSE(Completed()) << "not every merge file was made";
  EXPECT_TRUE(s.outcome.Failed());
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
  s.optionValues.EditFileHeadName = "2024x_";
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
