// Appending to an existing merge file: where the last merged line stands decides what follows.
#include "tests/merge/merge_fixture.h"

namespace arl::test {
namespace {

class MergeAppendTest : public MergeTest {};

TEST_F(MergeAppendTest, CurrentMergeFileIsLeftAlone) {
  const std::string all = WriteYears(2008, 2010);
  WriteFile(MergePath("EURUSD"), all);
  WriteFile(MergePath("USDJPY"),
            YearText("USDJPY", 2008) + YearText("USDJPY", 2009) + YearText("USDJPY", 2010));
  MergeAll(s);
  EXPECT_EQ(Merge(), all);
  EXPECT_EQ(Count("EURUSD に新しく追記する行はありません"), 1);
  EXPECT_EQ(Count("USDJPY に新しく追記する行はありません"), 1);
  EXPECT_EQ(Count("以降の行を追記します"), 0);
  EXPECT_EQ(Count("新規に作成"), 0);
  EXPECT_TRUE(Completed());
  EXPECT_EQ(s.LatestYear, "2010");
}

// Full days of 1440 lines, so that the continuation scan starts after a seek, not at the start.
TEST_F(MergeAppendTest, LastLineInsideAYearAppendsItsRestAndTheLaterYears) {
  YearShape shape;
  shape.days = 6;
  shape.perDay = 1440;
  const std::string all = WriteYears(2008, 2010, shape);
  const std::string y2008 = YearText("EURUSD", 2008, shape);
  const std::string head = FirstLines(y2008, 4 * 1440 + 17);
  WriteFile(MergePath("EURUSD"), head);

  MergeAll(s);
  EXPECT_EQ(Merge(), all);
  const std::string lastMerged = LineBefore(head, head.size());
  EXPECT_EQ(Count("EURUSD\n" + lastMerged + "以降の行を追記します"), 1);
  EXPECT_EQ(Count("以降の行を追記します"), 1);  // USDJPY had no merge file: rebuilt
  EXPECT_EQ(Count("USDJPY のMerge.txtを新規に作成します"), 1);
  EXPECT_TRUE(Completed());
}

TEST_F(MergeAppendTest, LastLineEndingAYearAppendsTheWholeLaterYears) {
  const std::string all = WriteYears(2008, 2010);
  const std::string y2008 = YearText("EURUSD", 2008);
  WriteFile(MergePath("EURUSD"), y2008);
  MergeAll(s);
  EXPECT_EQ(Merge(), all);
  EXPECT_EQ(Count("EURUSD\n"), 0);  // no "以降の行を追記します" for EURUSD
  EXPECT_EQ(Count("EURUSD に新しく追記する行はありません"), 0);
}

TEST_F(MergeAppendTest, OneLineMergeFileContinuesAfterThatLine) {
  const std::string all = WriteYears(2008, 2009);
  const std::string first = FirstLines(all, 1);
  WriteFile(MergePath("EURUSD"), first);
  MergeAll(s);
  EXPECT_EQ(Merge(), all);
  EXPECT_EQ(Count("EURUSD\n" + first.substr(0, first.size() - 2) + "以降の行を追記します"), 1);
}

TEST_F(MergeAppendTest, LastLineFoundNowhereRebuilds) {
  const std::string all = WriteYears(2008, 2009);
  // Written under another time shift: the same minutes at other times.
  WriteFile(MergePath("EURUSD"), "2008/01/02,23:59:00,1.3000,1.3002,1.2998,1.3001\r\n");
  MergeAll(s);
  EXPECT_EQ(Merge(), all);
  EXPECT_EQ(Count("EURUSD のMerge.txtを新規に作成します"), 1);
  EXPECT_EQ(Count("EURUSDのMerge.txtの作成OK"), 1);
  EXPECT_TRUE(Completed());
}

// Under a negative time shift a year file opens with lines of 31 December of the year before: such a
// last line is looked for in the earlier year's file, is not there, and the currency is rebuilt.
TEST_F(MergeAppendTest, LastLineDatedInTheYearBeforeItsFileRebuilds) {
  const std::string early = "2008/12/31,18:00:00,1.3000,1.3002,1.2998,1.3001\r\n";
  const std::string all = WriteYears(2008, 2008) + early + YearText("EURUSD", 2009);
  WriteFile(YearPath("EURUSD", 2009), early + YearText("EURUSD", 2009));
  WriteFile(YearPath("USDJPY", 2009), YearText("USDJPY", 2009));
  WriteFile(MergePath("EURUSD"), YearText("EURUSD", 2008) + early);
  MergeAll(s);
  EXPECT_EQ(Merge(), all);
  EXPECT_EQ(Count("EURUSD のMerge.txtを新規に作成します"), 1);
}

TEST_F(MergeAppendTest, TickerColumnIsSkippedWhenReadingDates) {
  s.optionValues.RadioGroup1 = 0;
  YearShape shape;
  shape.ticker = true;
  const std::string all = WriteYears(2008, 2009, shape);
  const std::string head = FirstLines(all, 25);
  WriteFile(MergePath("EURUSD"), head);
  MergeAll(s);
  EXPECT_EQ(Merge(), all);
  EXPECT_EQ(Count("以降の行を追記します"), 1);
  EXPECT_TRUE(Completed());
}

TEST_F(MergeAppendTest, LastLineAfterTheNewestYearDoesNothing) {
  WriteYears(2008, 2009);
  const std::string later = "2011/03/01,00:00:00,1.3000,1.3002,1.2998,1.3001\r\n";
  WriteFile(MergePath("EURUSD"), later);
  WriteFile(MergePath("USDJPY"), later);
  MergeAll(s);
  EXPECT_EQ(Merge(), later);
  EXPECT_EQ(Log(), "全ての年を結合するMerge.txtを作成します\n全てのMerge.txtの作成完了\n");
}

// The newest year comes from the year texts, not from the last file name: a copy named
// "a1min_2005.txt" sorts after "1min_2009.txt" but is not newer.
TEST_F(MergeAppendTest, NewestYearIsTheLargestYearAmongStrayCopies) {
  const std::string all = WriteYears(2008, 2009);
  WriteFile(Dir("EURUSD") + "a1min_2005.txt", "junk\r\n");
  WriteFile(Dir("EURUSD") + "1min_notes.txt", "no year here\r\n");
  WriteFile(MergePath("EURUSD"), FirstLines(all, 7));
  WriteFile(MergePath("USDJPY"), YearText("USDJPY", 2008) + YearText("USDJPY", 2009));
  MergeAll(s);
  EXPECT_EQ(Merge(), all);
  EXPECT_EQ(s.LatestYear, "2009");
}

TEST_F(MergeAppendTest, EarlierYearCompletedLaterForcesARebuild) {
  // Merged while 2009 was missing: 2008 and 2010 only.
  WriteFile(YearPath("EURUSD", 2008), YearText("EURUSD", 2008));
  WriteFile(YearPath("EURUSD", 2010), YearText("EURUSD", 2010));
  WriteFile(MergePath("EURUSD"), YearText("EURUSD", 2008) + YearText("EURUSD", 2010));
  Age(YearPath("EURUSD", 2008), 7200);
  Age(MergePath("EURUSD"), 3600);
  WriteFile(YearPath("EURUSD", 2009), YearText("EURUSD", 2009));  // written after the merge file
  MergeAll(s);
  EXPECT_EQ(Merge(), YearText("EURUSD", 2008) + YearText("EURUSD", 2009) + YearText("EURUSD", 2010));
  EXPECT_EQ(Count("EURUSD のMerge.txtを新規に作成します"), 1);
}

TEST_F(MergeAppendTest, RewrittenLastMergedYearDoesNotForceARebuild) {
  YearShape shape;
  WriteYears(2008, 2009, shape);
  WriteFile(MergePath("EURUSD"), YearText("EURUSD", 2008) + YearText("EURUSD", 2009));
  Age(YearPath("EURUSD", 2008), 7200);
  Age(MergePath("EURUSD"), 3600);
  shape.days = 5;  // the run appended two days to the newest year after the merge file was written
  const std::string grown = YearText("EURUSD", 2009, shape);
  WriteFile(YearPath("EURUSD", 2009), grown);
  MergeAll(s);
  EXPECT_EQ(Merge(), YearText("EURUSD", 2008) + grown);
  EXPECT_EQ(Count("EURUSD のMerge.txtを新規に作成します"), 0);
  EXPECT_EQ(Count("以降の行を追記します"), 1);
}

}  // namespace
}  // namespace arl::test
