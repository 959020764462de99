#include "acquire/archive_download.h"

#include <gtest/gtest.h>

#include "support/files.h"
#include "support/regexp.h"
#include "tests/acquire/day_archives.h"

namespace arl {
namespace {

using test::DayLink;

std::string RetryBox(int limit) {
  return "DLと解凍のリトライが指定回数(" + std::to_string(limit) +
         "回)に達したので停止します\r\n"
         "恐らく「ネットへの接続が切断されている」か「Rateloomが重い or 落ちてる」だと思われます\r\n"
         "ひょっとすると解凍やリネームでのエラーかも知れませんが、そうなると原因不明です\r\n"
         "ともかく、時間を置いてから再度「実行」ボタンを押してください。\r\n"
         "直前の成功したファイルの続きから自動的に再開します";
}

class ArchiveDownloadTest : public ::testing::Test {
 protected:
  std::string Serve(const std::string& name, const std::string& year, const std::string& content) {
    const std::string link = DayLink(name, year);
    test::ServeArchive(fs, link, name, content);
    return link;
  }
  std::string Archive(const std::string& rel) { return fs.session.paths.ArchiveDir + rel; }
  test::FakeSession fs;
  Session& s = fs.session;
};

TEST_F(ArchiveDownloadTest, StopsWithTheBoxWhenFailuresInARowReachTheLimit) {
  for (int limit : {5, 1}) {
    test::FakeSession fresh;
    const std::string bad = DayLink("030111.zip", "2011"), next = DayLink("040111.zip", "2011");
    fresh.downloader.failuresLeft[bad] = -1;
    DownloadMissingArchives(fresh.session, {bad, next}, limit);
    EXPECT_EQ(fresh.downloader.attempts, std::vector<std::string>(limit, bad)) << limit;
    EXPECT_EQ(test::CountLogged(fresh.host, bad + " DL error !"), limit);
    ASSERT_EQ(fresh.host.messageBoxes, std::vector<std::string>{RetryBox(limit)});
    EXPECT_EQ(fresh.host.captions.front(), "Auto Rateloom - Ver 0.02 -");
  }
}

TEST_F(ArchiveDownloadTest, LimitOfZeroOrLessStopsAfterTheFirstAttemptEvenASuccess) {
  const std::string first = Serve("030111.zip", "2011", "a\r\n"),
                    second = Serve("040111.zip", "2011", "b\r\n");
  DownloadMissingArchives(s, {first, second}, 0);
  DownloadMissingArchives(s, {second, first}, -3);
  EXPECT_EQ(fs.downloader.attempts, (std::vector<std::string>{first, second}));
  EXPECT_EQ(fs.host.messageBoxes, (std::vector<std::string>{RetryBox(0), RetryBox(-3)}));
  EXPECT_TRUE(FileExists(Archive("2011/110103.txt")));
}

TEST_F(ArchiveDownloadTest, ASuccessRestartsTheFailureCount) {
  const std::string a = Serve("030111.zip", "2011", "a\r\n"), b = Serve("040111.zip", "2011", "b\r\n");
  fs.downloader.failuresLeft[a] = 2;
  fs.downloader.failuresLeft[b] = 2;
  DownloadMissingArchives(s, {a, b}, 3);
  EXPECT_TRUE(fs.host.messageBoxes.empty());
  EXPECT_EQ(fs.downloader.attempts.size(), 6u);
  EXPECT_EQ(test::CountLogged(fs.host, b + " DL OK."), 1);
}

TEST_F(ArchiveDownloadTest, ExtractsRenamesAndDeletesTheArchive) {
  test::WriteFile(Archive("2011/110103.txt"), "old day\r\n");
  test::WriteFile(Archive("2003/030203.txt"), "old same-name day\r\n");
  const std::string a = Serve("030111.zip", "2011", "new day\r\n");
  const std::string sameName = Serve("030203.zip", "2003", "new 3 Feb 2003\r\n");
  DownloadMissingArchives(s, {a, sameName}, 5);
  EXPECT_EQ(test::ReadFile(Archive("2011/110103.txt")), "new day\r\n");
  EXPECT_EQ(test::ReadFile(Archive("2003/030203.txt")), "new 3 Feb 2003\r\n");
  LineList left;
  EXPECT_EQ(ListFiles(Archive("2011"), left), LineList{"110103.txt"});
  EXPECT_FALSE(FileExists(Archive("2011/030111.zip")));
  EXPECT_FALSE(FileExists(Archive("2003/030203.zip")));
  EXPECT_EQ(test::CountLogged(fs.host, "030111.zip → 110103.txtへのリネーム OK"), 1);
  EXPECT_EQ(test::CountLogged(fs.host, "030203.zip → 030203.txtへのリネーム OK"), 1);
}

TEST_F(ArchiveDownloadTest, AFailedExtractionKeepsTheOldDayFile) {
  test::WriteFile(Archive("2011/110103.txt"), "good day\r\n");
  test::WriteFile(Archive("2003/030203.txt"), "good same-name day\r\n");
  const std::string a = DayLink("030111.zip", "2011"), sameName = DayLink("030203.zip", "2003");
  fs.downloader.files[a] = "this is no zip";
  fs.downloader.files[sameName] = "nor is this";
  DownloadMissingArchives(s, {a, sameName}, 5);
  EXPECT_EQ(test::ReadFile(Archive("2011/110103.txt")), "good day\r\n");
  EXPECT_EQ(test::ReadFile(Archive("2003/030203.txt")), "good same-name day\r\n");
  LineList left;
  EXPECT_EQ(ListFiles(Archive("2003"), left), LineList{"030203.txt"});
  EXPECT_FALSE(FileExists(Archive("2011/030111.zip")));
  EXPECT_EQ(test::CountLogged(fs.host, "030111.zip → 110103.txtへのリネーム 失敗"), 1);
  EXPECT_EQ(test::CountLogged(fs.host, "030203.zip → 030203.txtへのリネーム 失敗"), 1);
}

TEST_F(ArchiveDownloadTest, ALinkWithoutArchiveNameOrYearSegmentRaises) {
  for (const std::string& link : {std::string(test::kHost) + "/free_forex_quotes/2011/x.zip",
                                  std::string(test::kHost) + "/free_forex_quotes/030111.zip"}) {
    EXPECT_THROW(DownloadMissingArchives(s, {link}, 5), EBRegExpError) << link;
  }
  EXPECT_TRUE(fs.downloader.attempts.empty());
}

TEST_F(ArchiveDownloadTest, ACancelDuringADownloadFinishesThatArchiveOnly) {
  const std::string a = Serve("030111.zip", "2011", "a\r\n"), b = Serve("040111.zip", "2011", "b\r\n");
  fs.downloader.onDownload = [this](const std::string&) { s.cancel.Cancel(); };
  DownloadMissingArchives(s, {a, b}, 5);
  EXPECT_EQ(fs.downloader.attempts, std::vector<std::string>{a});
  EXPECT_TRUE(FileExists(Archive("2011/110103.txt")));
  EXPECT_TRUE(fs.host.messageBoxes.empty());
}

}  // namespace
}  // namespace arl
