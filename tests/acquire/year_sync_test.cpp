#include "acquire/year_sync.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "support/errors.h"
#include "support/files.h"
#include "tests/acquire/day_archives.h"

namespace arl {
namespace {

const std::string kPage = std::string(test::kHost) + "/free_forex_quotes/forex_history_arhiv_2011.html";
constexpr tools::Ymd kJan3{2011, 1, 3}, kJan4{2011, 1, 4}, kJan5{2011, 1, 5};

class SyncYearTest : public ::testing::Test {
 protected:
  std::string YearDir() { return s.paths.ArchiveDir + "2011/"; }
  std::string Marker() { return YearDir() + kYearMarkerName; }

  // Runs SyncYear once for every read of the cancel token it makes, cancelling at that read, each time from
  // the home as it is now; a marker must exist exactly when the call says the year is complete. `check` looks
  // at what each call left.
  void CancelSweep(const std::function<void(int cancelAt, bool done)>& check) {
    namespace fsys = std::filesystem;
    test::TempDir saved;
    for (const char* tree : {"OriginalArchive", "HistoricalData"})
      fsys::copy(fs.home / tree, saved / tree, fsys::copy_options::recursive);
    for (int cancelAt = 1;; ++cancelAt) {
      for (const char* tree : {"OriginalArchive", "HistoricalData"}) {
        fsys::remove_all(fs.home / tree);
        fsys::copy(saved / tree, fs.home / tree, fsys::copy_options::recursive);
      }
      s.cancel.Reset();
      test::CancelAtCheck(s, cancelAt);
      const bool done = SyncYear(s, kPage, "2011");
      EXPECT_EQ(done, FileExists(Marker())) << "cancelled at check " << cancelAt;
      check(cancelAt, done);
      s.cancel.onCheck = nullptr;
      if (s.GoOn()) break;  // the call ended before that check
    }
  }
  std::string YearFile(const std::string& ticker) { return s.paths.DataDir + ticker + "/1min/1min_2011.txt"; }
  LineList DayFiles() {
    LineList l;
    return ListFiles(YearDir(), l);
  }
  std::size_t Visits() { return fs.browser.navigations.size(); }
  bool Logged(const std::string& line) { return test::CountLogged(fs.host, line) > 0; }
  test::FakeSession fs;
  Session& s = fs.session;
};

TEST_F(SyncYearTest, EmptyYearIsFetchedThenRebuiltAndMarked) {
  s.LatestYear = "-1";  // discovery found none: never appended
  for (auto day : {kJan3, kJan4, kJan5}) test::PublishDay(fs, kPage, day);
  fs.browser.pages[kPage].push_back(test::DayLink("030112.zip", "2012"));  // another year: ignored
  EXPECT_TRUE(SyncYear(s, kPage, "2011"));
  EXPECT_EQ(Visits(), 2u);
  EXPECT_EQ(DayFiles(), (LineList{"110103.txt", "110104.txt", "110105.txt"}));
  EXPECT_TRUE(FileExists(Marker()));
  EXPECT_EQ(FileSizeByName(Marker()), 0);
  EXPECT_GT(FileSizeByName(YearFile("EURUSD")), 0);
  EXPECT_TRUE(Logged("2011年の各通貨への分割・マージ処理に成功しました。"));
}

TEST_F(SyncYearTest, LatestYearIsAppendedAndOnlyRevisitedWhenSomethingIsNew) {
  s.LatestYear = "2011";
  test::PublishDay(fs, kPage, kJan3);
  ASSERT_TRUE(SyncYear(s, kPage, "2011"));  // first append finds no year file: rebuilt
  EXPECT_TRUE(Logged("念の為2011年の頭から全て新規に作り直します"));
  const std::string before = test::ReadFile(YearFile("EURUSD"));

  fs.browser.navigations.clear();
  fs.host.logged.clear();
  EXPECT_TRUE(SyncYear(s, kPage, "2011"));
  EXPECT_EQ(Visits(), 1u);
  EXPECT_EQ(fs.host.logged,
            (std::vector<std::string>{"2011年のzipファイルをチェックします (" + kPage + "にアクセス)",
                                      "2011年のzipファイルは", "全てダウンロードされているのを確認しました",
                                      "DLしていないZipファイルはありません"}));
  EXPECT_EQ(test::ReadFile(YearFile("EURUSD")), before);

  test::PublishDay(fs, kPage, kJan4);
  bool markerGone = false;
  test::OnEveryCheck(s, [&](int) { markerGone |= !FileExists(Marker()); });
  EXPECT_TRUE(SyncYear(s, kPage, "2011"));
  EXPECT_TRUE(markerGone);
  EXPECT_TRUE(FileExists(Marker()));
  EXPECT_GT(test::ReadFile(YearFile("EURUSD")).size(), before.size());
}

// A run killed once a new day of a marked year is on disk must not leave the marker beside it: the
// next run would find nothing missing and never convert the day.
TEST_F(SyncYearTest, TheMarkerGoesBeforeANewDayLandsOnDisk) {
  test::PublishDay(fs, kPage, kJan3);
  ASSERT_TRUE(SyncYear(s, kPage, "2011"));
  ASSERT_TRUE(FileExists(Marker()));
  test::PublishDay(fs, kPage, kJan4);
  bool markedWhileFetching = false;
  fs.downloader.onDownload = [&](const std::string&) { markedWhileFetching |= FileExists(Marker()); };
  EXPECT_TRUE(SyncYear(s, kPage, "2011"));
  EXPECT_FALSE(markedWhileFetching);
  EXPECT_TRUE(FileExists(Marker()));
}

TEST_F(SyncYearTest, ADayLinkedTwiceDoesNotKeepTheYearIncomplete) {
  const std::string link = test::PublishDay(fs, kPage, kJan3);
  fs.browser.pages[kPage].push_back(link);
  EXPECT_TRUE(SyncYear(s, kPage, "2011"));
  EXPECT_EQ(Visits(), 2u);
  EXPECT_EQ(fs.downloader.attempts.size(), 1u);
}

TEST_F(SyncYearTest, APageThatFailedOrListsNoneOfTheYearsDaysLeavesTheYearUnmarkedAndUnconverted) {
  test::WriteFile(YearDir() + "110103.txt", test::DayContent(kJan3));
  fs.browser.pages[kPage] = {test::DayLink("030110.zip", "2010")};
  EXPECT_FALSE(SyncYear(s, kPage, "2011"));
  EXPECT_TRUE(Logged(
      "2011年のページ " + kPage +
      " に2011年の日ごとのアーカイブへのリンクがありません (サイトのレイアウトが変わった可能性があります)"));
  fs.browser.failing[kPage] = "HTTP 503";
  EXPECT_FALSE(SyncYear(s, kPage, "2011"));
  EXPECT_TRUE(Logged("2011年のページ " + kPage + " を読み込めませんでした (HTTP 503)"));
  EXPECT_FALSE(FileExists(Marker()));
  EXPECT_FALSE(FileExists(YearFile("USDJPY")));
  EXPECT_TRUE(fs.downloader.attempts.empty());
  EXPECT_TRUE(s.outcome.Failed());
  EXPECT_FALSE(Logged("2011年のzipファイルは"));
}

TEST_F(SyncYearTest, APageThatFailsInALaterPassNeverCountsAsNothingMissing) {
  fs.session.optionValues.EditRetryLimit = "1";
  const std::string link = test::PublishDay(fs, kPage, kJan3);
  test::PublishDay(fs, kPage, kJan4);
  fs.downloader.failuresLeft[link] = -1;
  // The site stops answering after the first pass.
  test::OnEveryCheck(s, [&](int) {
    if (Visits() == 2) fs.browser.failing[kPage] = "Couldn't connect to server";
  });
  EXPECT_FALSE(SyncYear(s, kPage, "2011"));
  EXPECT_EQ(Visits(), 2u);
  EXPECT_FALSE(FileExists(Marker()));
  EXPECT_FALSE(FileExists(YearFile("EURUSD")));
  EXPECT_FALSE(Logged("DLしていないZipファイルはありません"));
}

TEST_F(SyncYearTest, YearsLookedForOnTheIndexThatListsNoneOfTheirDaysStayOpenWithoutFailing) {
  const std::string index = fs.session.optionValues.EditURL;
  fs.browser.pages[index] = {test::DayLink("030112.zip", "2012")};
  EXPECT_FALSE(SyncYear(s, index, "2011"));
  EXPECT_TRUE(Logged("2011年の日はまだインデックスページに載っていないので、次回また確認します"));
  EXPECT_FALSE(FileExists(Marker()));
  EXPECT_FALSE(s.outcome.Failed());
}

TEST_F(SyncYearTest, ALinkWithoutADayArchiveNameEndsTheYearQuietly) {
  fs.browser.pages[kPage] = {std::string(test::kHost) + "/free_forex_quotes/2011/x.zip"};
  EXPECT_FALSE(SyncYear(s, kPage, "2011"));
  EXPECT_TRUE(fs.host.messageBoxes.empty());
  EXPECT_FALSE(FileExists(Marker()));
  EXPECT_FALSE(Logged("時間を置いてやり直してみてください"));
}

TEST_F(SyncYearTest, DownloadsFailingOnEveryPassEndAfterFourPasses) {
  test::WriteFile(Marker(), "");
  fs.session.optionValues.EditRetryLimit = "2";
  const std::string link = test::PublishDay(fs, kPage, kJan3);
  fs.downloader.failuresLeft[link] = -1;
  EXPECT_FALSE(SyncYear(s, kPage, "2011"));
  EXPECT_EQ(Visits(), 4u);
  EXPECT_EQ(fs.downloader.attempts.size(), 8u);
  EXPECT_EQ(fs.host.messageBoxes.size(), 4u);
  EXPECT_TRUE(Logged("2011年のzipファイルのダウンロードと解凍に何故か失敗しました。"));
  EXPECT_FALSE(FileExists(Marker()));
}

TEST_F(SyncYearTest, ACancelAtAnyPointLeavesNoMarkerAndKeepsTheYearFiles) {
  s.LatestYear = "2011";
  test::PublishDay(fs, kPage, kJan3);
  ASSERT_TRUE(SyncYear(s, kPage, "2011"));
  test::PublishDay(fs, kPage, kJan4);
  test::PublishDay(fs, kPage, kJan5);
  DeleteFile(Marker());  // so that a marker after the call can only have been written by it
  CancelSweep([&](int cancelAt, bool) {
    EXPECT_TRUE(FileExists(YearFile("EURUSD"))) << "cancelled at check " << cancelAt;
  });
}

TEST_F(SyncYearTest, ACancelledRebuildGivesTheOldYearFilesBack) {
  s.LatestYear = "2012";  // 2011 is not the newest year: it is always rebuilt whole
  test::PublishDay(fs, kPage, kJan3);
  ASSERT_TRUE(SyncYear(s, kPage, "2011"));
  const std::string before = test::ReadFile(YearFile("EURUSD"));
  test::PublishDay(fs, kPage, kJan4);
  DeleteFile(Marker());
  CancelSweep([&](int cancelAt, bool done) {
    if (!done) {
      EXPECT_EQ(test::ReadFile(YearFile("EURUSD")), before) << "cancelled at check " << cancelAt;
    }
    EXPECT_FALSE(FileExists(YearFile("EURUSD") + YearOutputsAside::kSuffix))
        << "cancelled at check " << cancelAt;
  });
}

TEST_F(SyncYearTest, DeleteYearOutputsFollowsTheFolderOption) {
  const std::string data = s.paths.DataDir;
  for (const char* f :
       {"EURUSD/1min_2005.txt", "EURUSD/1min/1min_2005.txt", "GONE/1min_2005.txt", "EURUSD/1min_2006.txt"})
    test::WriteFile(data + f, "x\r\n");
  test::WriteFile(data + "1min_2005.txt", "a plain file, no currency\r\n");
  fs.session.optionValues.RadioGroup3 = 0;
  DeleteYearOutputs(s, "2005");
  EXPECT_FALSE(FileExists(data + "EURUSD/1min_2005.txt"));
  EXPECT_FALSE(FileExists(data + "GONE/1min_2005.txt"));
  EXPECT_TRUE(FileExists(data + "EURUSD/1min/1min_2005.txt"));
  EXPECT_TRUE(FileExists(data + "EURUSD/1min_2006.txt"));
  fs.session.optionValues.RadioGroup3 = 1;
  DeleteYearOutputs(s, "2005");
  EXPECT_FALSE(FileExists(data + "EURUSD/1min/1min_2005.txt"));
  EXPECT_TRUE(FileExists(data + "1min_2005.txt"));
}

}  // namespace
}  // namespace arl
