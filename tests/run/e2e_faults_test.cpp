// Whole runs against a loopback site that misbehaves: failing archives, odd links, an index page
// that cannot be reached. The outputs are compared with the reference of an undisturbed site.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/run/e2e_fixture.h"

namespace arl::test {
namespace {

using tools::FakeSite;
using tools::Fault;
using tools::FaultKind;

std::string RetryLimitText(int limit) {
  return "DLと解凍のリトライが指定回数(" + std::to_string(limit) + "回)に達したので停止します\r\n" +
         "恐らく「ネットへの接続が切断されている」か「Rateloomが重い or 落ちてる」だと思われます\r\n" +
         "ひょっとすると解凍やリネームでのエラーかも知れませんが、そうなると原因不明です\r\n" +
         "ともかく、時間を置いてから再度「実行」ボタンを押してください。\r\n" +
         "直前の成功したファイルの続きから自動的に再開します";
}

class E2eFaults : public ::testing::Test {
 protected:
  tools::Ymd Day(int year, int index) {
    return served.site.PublishedDays(year).at(static_cast<std::size_t>(index));
  }
  std::string ArchiveUrl(const tools::Ymd& day) { return served.server.Url(FakeSite::ArchivePath(day)); }
  ServedSite served{SmallSite()};
};

TEST_F(E2eFaults, ArchivesThatFailTwiceAreRetriedAndTheRunCompletes) {
  const auto first = Day(2010, 0), later = Day(2011, 1);
  served.server.SetFault(FakeSite::ArchivePath(first), Fault::Of(FaultKind::ServerError, 2));
  served.server.SetFault(FakeSite::ArchivePath(later), Fault::Of(FaultKind::Truncated, 2));
  E2eHome home(served, true);

  EXPECT_EQ(home.Run(), std::nullopt);
  EXPECT_EQ(TreeDifferences(ExpectedOutputs(served.site, true), home.Outputs()), "");
  EXPECT_EQ(home.CountLogged(ArchiveUrl(first) + " DL error !"), 2);
  EXPECT_EQ(home.CountLogged(ArchiveUrl(later) + " DL error !"), 2);
  EXPECT_EQ(served.ArchiveRequests(first), 3);
  EXPECT_TRUE(home.host.messageBoxes.empty());
}

TEST_F(E2eFaults, AnArchiveThatAlwaysFailsStopsAtTheLimitAndALaterRunCompletes) {
  const auto broken = Day(2009, 1);
  served.server.SetFault(FakeSite::ArchivePath(broken), Fault::Of(FaultKind::ServerError));
  E2eHome home(served, true);
  home.session.optionValues.EditRetryLimit = "2";

  EXPECT_EQ(home.Run(), std::nullopt);
  ASSERT_FALSE(home.host.messageBoxes.empty());
  for (const auto& box : home.host.messageBoxes) EXPECT_EQ(box, RetryLimitText(2));
  EXPECT_EQ(home.CountLogged(ArchiveUrl(broken) + " DL error !"),
            2 * static_cast<int>(home.host.messageBoxes.size()));
  EXPECT_FALSE(home.HasMarker(2009));
  EXPECT_TRUE(home.HasMarker(2010));
  EXPECT_TRUE(home.HasMarker(2011));
  EXPECT_TRUE(home.LoggedContaining("2009年のzipファイルのダウンロードと解凍に何故か失敗しました。"));
  EXPECT_EQ(home.host.logged.back(), "処理完了");

  served.server.ClearFaults();
  home.host.messageBoxes.clear();
  EXPECT_EQ(home.Run(), std::nullopt);
  EXPECT_TRUE(home.host.messageBoxes.empty());
  EXPECT_EQ(TreeDifferences(ExpectedOutputs(served.site, true), home.Outputs()), "");
}

TEST_F(E2eFaults, ALinkWithoutASixDigitNameFailsOnlyItsYear) {
  served.AddLinkToPage(FakeSite::YearPagePath(2010), "/free_forex_quotes/2010/01/x.zip");
  E2eHome home(served, false);

  EXPECT_EQ(home.Run(), std::nullopt);
  EXPECT_FALSE(home.HasMarker(2010));
  FileTree expected = ExpectedOutputs(served.site, false);
  std::erase_if(expected, [](const auto& file) {
    return file.first.find("1min_2010") != std::string::npos ||
           file.first == "OriginalArchive/2010/complete.arlm";
  });
  EXPECT_EQ(TreeDifferences(expected, home.Outputs()), "");
  EXPECT_FALSE(home.LoggedContaining("2010年の各通貨への分割"));
}

TEST_F(E2eFaults, ADuplicatedLinkIsFetchedOnceAndTheYearCompletes) {
  const auto day = Day(2009, 2);
  served.AddLinkToPage(FakeSite::YearPagePath(2009), FakeSite::ArchivePath(day));
  E2eHome home(served, false);

  EXPECT_EQ(home.Run(), std::nullopt);
  EXPECT_EQ(TreeDifferences(ExpectedOutputs(served.site, false), home.Outputs()), "");
  EXPECT_EQ(served.ArchiveRequests(day), 1);
  EXPECT_EQ(home.CountLogged("2009年の各通貨への分割・マージ処理に成功しました。"), 1);
}

TEST_F(E2eFaults, AnUnreachableIndexPageEndsTheRunWithAnErrorNamingIt) {
  served.server.SetFault(FakeSite::kIndexPath, Fault::Of(FaultKind::NotFound));
  E2eHome home(served, true);

  const auto error = home.Run();
  ASSERT_TRUE(error.has_value());
  EXPECT_EQ(*error, "インデックスページ " + served.IndexUrl() + " を読み込めませんでした (HTTP 404)");
  EXPECT_EQ(home.host.logged.back(), "処理完了");
  EXPECT_EQ(home.host.status, "処理完了");
  EXPECT_TRUE(std::filesystem::is_empty(home.session.paths.ArchiveDir));  // no year directory
  EXPECT_TRUE(home.Outputs().empty());
  EXPECT_FALSE(home.host.busy);
}

}  // namespace
}  // namespace arl::test
