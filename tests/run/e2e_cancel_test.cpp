// Cancelled runs against a loopback site: whatever point the cancel hits, no year is marked that was
// not finished, no year file is lost, and the next run ends with the outputs of an uninterrupted one.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "run/run_control.h"
#include "tests/run/e2e_fixture.h"

namespace arl::test {
namespace {

// Requests a cancel, as the confirmed cancel button would, at the first read of the cancel token
// after `condition` holds.
void CancelWhen(E2eHome& home, std::function<bool()> condition) {
  OnEveryCheck(home.session, [&home, condition, done = false](int) mutable {
    if (done || !condition()) return;
    done = true;
    RequestCancel(home.session);
  });
}

int CountContaining(const E2eHome& home, const std::string& piece) {
  int n = 0;
  for (const auto& line : home.host.logged) n += line.find(piece) != std::string::npos;
  return n;
}

void ExpectCancelledRunEnding(const E2eHome& home) {
  const auto& log = home.host.logged;
  ASSERT_GE(log.size(), 2u);
  EXPECT_EQ(log[log.size() - 2], "キャンセルしました");
  EXPECT_EQ(log.back(), "処理完了");
  EXPECT_EQ(home.CountLogged("キャンセルします..."), 1);
}

TEST(E2eCancel, DuringDownloadsNothingIsMarkedAndTheNextRunCompletes) {
  ServedSite served(SmallSite());
  E2eHome home(served, true);
  CancelWhen(home, [&] { return CountContaining(home, " DL OK.") >= 3; });

  EXPECT_EQ(home.Run(), std::nullopt);
  ExpectCancelledRunEnding(home);
  std::size_t archives = 0;
  for (int year = 2009; year <= 2011; ++year) archives += served.site.PublishedDays(year).size();
  EXPECT_LT(static_cast<std::size_t>(CountContaining(home, " DL OK.")), archives);
  for (int year = 2009; year <= 2011; ++year) EXPECT_FALSE(home.HasMarker(year)) << year;
  EXPECT_FALSE(home.LoggedContaining("全てのMerge.txtの作成完了"));

  home.session.cancel.onCheck = nullptr;
  EXPECT_EQ(home.Run(), std::nullopt);
  EXPECT_EQ(TreeDifferences(ExpectedOutputs(served.site, true), home.Outputs()), "");
}

TEST(E2eCancel, DuringTheAppendOfNewDaysTheYearFilesStayAndTheNextRunCompletes) {
  ServedSite served(SmallSite());
  E2eHome home(served, true);
  ASSERT_EQ(home.Run(), std::nullopt);
  served.site.Grow(2);
  home.host.statuses.clear();
  // In the middle of the re-converted day files of the newest year.
  CancelWhen(home, [&] {
    return std::count_if(home.host.statuses.begin(), home.host.statuses.end(), [](const std::string& status) {
             return status.find("をチェック/追記中") != std::string::npos;
           }) >= 2;
  });

  EXPECT_EQ(home.Run(), std::nullopt);
  ExpectCancelledRunEnding(home);
  EXPECT_FALSE(home.HasMarker(2011));
  for (const auto& ticker : served.site.DayOptions().tickers) {
    EXPECT_TRUE(std::filesystem::exists(home.YearFile(ticker, 2011))) << ticker;
  }

  home.session.cancel.onCheck = nullptr;
  EXPECT_EQ(home.Run(), std::nullopt);
  EXPECT_EQ(TreeDifferences(ExpectedOutputs(served.site, true), home.Outputs()), "");
}

// A sweep of cancel points over a whole first sync: downloads, rebuilds, the append and the merge.
TEST(E2eCancel, AtAnyPointTheNextRunEndsAsAnUninterruptedOne) {
  ServedSite served(SmallSite());
  int checksOfAWholeRun = 0;
  {
    E2eHome whole(served, true);
    OnEveryCheck(whole.session, [&](int n) { checksOfAWholeRun = n; });
    ASSERT_EQ(whole.Run(), std::nullopt);
  }
  ASSERT_GT(checksOfAWholeRun, 20);
  for (int part = 1; part <= 6; ++part) {
    const int cancelAt = checksOfAWholeRun * part / 7;
    SCOPED_TRACE("cancelled at check " + std::to_string(cancelAt) + " of " +
                 std::to_string(checksOfAWholeRun));
    E2eHome home(served, true);
    int checks = 0;
    CancelWhen(home, [&checks, cancelAt] { return ++checks >= cancelAt; });
    EXPECT_EQ(home.Run(), std::nullopt);
    ExpectCancelledRunEnding(home);
    // A marker only for a year whose files are all there.
    const FileTree expected = ExpectedOutputs(served.site, true);
    for (int year = 2009; year <= 2011; ++year) {
      if (!home.HasMarker(year)) continue;
      for (const auto& ticker : served.site.DayOptions().tickers) {
        const std::string file = "HistoricalData/" + ticker + "/1min/1min_" + std::to_string(year) + ".txt";
        EXPECT_EQ(ReadFile(home.home.path() + file), expected.at(file)) << file;
      }
    }
    home.session.cancel.onCheck = nullptr;
    EXPECT_EQ(home.Run(), std::nullopt);
    EXPECT_EQ(TreeDifferences(expected, home.Outputs()), "");
  }
}

}  // namespace
}  // namespace arl::test
