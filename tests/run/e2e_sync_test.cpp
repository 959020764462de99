// Whole runs against a loopback archive site: the first sync, a run with nothing new, new days and a
// new year, each compared file by file with an independent reference conversion.
#include <gtest/gtest.h>

#include "tests/run/e2e_fixture.h"

namespace arl::test {
namespace {

using tools::FakeSite;

class E2eSync : public ::testing::TestWithParam<bool> {
 protected:
  bool Merge() const { return GetParam(); }
  void ExpectComplete(E2eHome& home) {
    EXPECT_EQ(TreeDifferences(ExpectedOutputs(served.site, Merge()), home.Outputs()), "");
  }
  ServedSite served{SmallSite()};
};

TEST_P(E2eSync, FirstSyncFetchesEveryArchiveOnceAndConvertsAllYears) {
  E2eHome home(served, Merge());
  EXPECT_EQ(home.Run(), std::nullopt);
  ExpectComplete(home);
  for (int year = 2009; year <= 2011; ++year) {
    for (const auto& day : served.site.PublishedDays(year)) EXPECT_EQ(served.ArchiveRequests(day), 1);
  }
  EXPECT_EQ(home.host.logged.back(), "処理完了");
  EXPECT_EQ(home.CountLogged("キャンセルしました"), 0);
  EXPECT_FALSE(home.host.busy);
}

TEST_P(E2eSync, SecondRunWithNothingNewConvertsNothing) {
  E2eHome home(served, Merge());
  ASSERT_EQ(home.Run(), std::nullopt);
  const FileTree before = home.Outputs();
  home.host.logged.clear();

  EXPECT_EQ(home.Run(), std::nullopt);
  EXPECT_EQ(TreeDifferences(before, home.Outputs()), "");
  EXPECT_GE(home.CountLogged("DLしていないZipファイルはありません"), 1);
  EXPECT_FALSE(home.LoggedContaining("チェック&追記 OK."));
  EXPECT_FALSE(home.LoggedContaining("DL OK."));
  if (Merge()) {
    EXPECT_EQ(home.CountLogged("EURUSD に新しく追記する行はありません"), 1);
  }
}

TEST_P(E2eSync, NewDaysOfTheNewestYearGiveTheSameFilesAsAFullRebuild) {
  E2eHome home(served, Merge());
  ASSERT_EQ(home.Run(), std::nullopt);
  const std::string olderYear = ReadFile(home.YearFile("EURUSD", 2010));
  const auto added = served.site.Grow(2);
  ASSERT_EQ(added.back().year, 2011);
  home.host.logged.clear();

  EXPECT_EQ(home.Run(), std::nullopt);
  ExpectComplete(home);
  for (const auto& day : added) EXPECT_EQ(served.ArchiveRequests(day), 1);
  EXPECT_EQ(ReadFile(home.YearFile("EURUSD", 2010)), olderYear);
  // Appended, not rebuilt from the year's first day.
  EXPECT_FALSE(home.LoggedContaining("年の頭から全て新規に作り直します"));
  EXPECT_TRUE(home.LoggedContaining("2011年の各通貨への分割・マージ処理に成功しました。"));
}

TEST_P(E2eSync, ANewYearMovesTheOldNewestYearOntoItsOwnPage) {
  E2eHome home(served, Merge());
  ASSERT_EQ(home.Run(), std::nullopt);
  // The rest of 2011 and the first day of 2012, published between two runs.
  const auto added = served.site.Grow(3);
  ASSERT_EQ(added.front().year, 2011);
  ASSERT_EQ(added.back().year, 2012);
  home.host.logged.clear();

  EXPECT_EQ(home.Run(), std::nullopt);
  ExpectComplete(home);
  EXPECT_EQ(home.session.LatestYear, "2012");
  EXPECT_TRUE(home.LoggedContaining("2011年のzipファイルをチェックします (" +
                                    served.server.Url(FakeSite::YearPagePath(2011))));
  EXPECT_TRUE(home.LoggedContaining("2012年のzipファイルをチェックします (" + served.IndexUrl()));
}

INSTANTIATE_TEST_SUITE_P(WithAndWithoutMerge, E2eSync, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Merged" : "YearFilesOnly"; });

}  // namespace
}  // namespace arl::test
