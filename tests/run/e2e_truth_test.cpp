// A run tells the truth, seen through the headless front end against a loopback site that fails in
// the ways users meet: a site that stops answering part-way, an index without links, options that
// cannot be used, a currency list with mistakes, two runs on one home, a full disk. A failure ends
// in exit status 1 with its reason in the log and never in a year marked complete; the next run
// with the trouble gone ends exactly as an uninterrupted run.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <unistd.h>

#include <filesystem>
#include <thread>

#include "tests/common/fake_host.h"
#include "tests/run/cli_run.h"
#include "tests/run/crash_fixture.h"

namespace arl::test {
namespace {

using tools::FakeSite;
using tools::Fault;
using tools::FaultKind;

bool Has(const std::string& text, const std::string& piece) { return text.find(piece) != std::string::npos; }

// Every archive answered after a pause, so that a run is still fetching when the test acts on it.
void SlowArchives(ServedSite& served) {
  Fault slow = Fault::Of(FaultKind::Slow);
  slow.delayMs = 30;
  for (int year = served.site.Options().firstYear; year <= served.site.NewestYear(); ++year)
    for (const auto& day : served.site.PublishedDays(year))
      served.server.SetFault(FakeSite::ArchivePath(day), slow);
}

std::string Marker(const TempDir& home, int year) {
  return home / ("OriginalArchive/" + std::to_string(year) + "/complete.arlm");
}

int ArchiveRequests(const ServedSite& served) {
  int n = 0;
  for (int year = served.site.Options().firstYear; year <= served.site.NewestYear(); ++year)
    for (const auto& day : served.site.PublishedDays(year)) n += served.ArchiveRequests(day);
  return n;
}

TEST(E2eTruth, AYearPageThatStopsAnsweringLeavesTheYearUnmarkedAndTheRerunCompletesIt) {
  ServedSite served(SmallSite());
  // The site answers the 2010 page and two of its archives once, then nothing of 2010 any more.
  served.server.SetFault(FakeSite::YearPagePath(2010), Fault::After(1, FaultKind::ServerError));
  const auto days = served.site.PublishedDays(2010);
  for (std::size_t i = 2; i < days.size(); ++i)
    served.server.SetFault(FakeSite::ArchivePath(days[i]), Fault::Of(FaultKind::ServerError));
  TempDir home;
  PrepareCliHome(home.path(), served, true, "EditRetryLimit=2\r\n");

  CliOutcome o = RunCli(home.path());
  EXPECT_EQ(o.status, 1) << o.log;
  const std::string pageFailed = "2010年のページ " + served.server.Url(FakeSite::YearPagePath(2010)) +
                                 " を読み込めませんでした (HTTP 500)";
  EXPECT_TRUE(Has(o.log, pageFailed + "\r\n")) << o.log;
  EXPECT_TRUE(Has(o.log, "\r\n× " + pageFailed + "\r\n")) << "one line in the summary";
  EXPECT_FALSE(Has(o.log, "2010年のzipファイルは\r\n全てダウンロードされているのを確認しました"));
  EXPECT_FALSE(std::filesystem::exists(Marker(home, 2010)));
  EXPECT_TRUE(std::filesystem::exists(Marker(home, 2009))) << "the other years go on";
  EXPECT_TRUE(std::filesystem::exists(Marker(home, 2011)));

  served.server.ClearFaults();
  o = RunCli(home.path());
  EXPECT_EQ(o.status, 0) << o.log;
  EXPECT_EQ(TreeDifferences(ExpectedOutputs(served.site, true), ReadOutputs(home.path())), "");
}

TEST(E2eTruth, ASiteThatStopsMidRunEndsInFailureAndNoYearMarkedShort) {
  TempDir home;
  {
    auto served = std::make_unique<ServedSite>(SmallSite());
    SlowArchives(*served);
    PrepareCliHome(home.path(), *served, true);
    crash::CliRun run(home.path() + "/");
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!Has(run.Log(), " DL OK.") && std::chrono::steady_clock::now() < giveUp)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    served->server.Stop();
    EXPECT_EQ(crash::DescribeStatus(run.Wait()), "exit 1") << run.Log();
    EXPECT_TRUE(Has(run.Log(), "を読み込めませんでした (")) << run.Log();
    // The summary names what failed, not the merge files its failed years kept from being made.
    EXPECT_FALSE(Has(run.Log(), "× " + served->site.DayOptions().tickers[0] + " の年ファイルがない"))
        << run.Log();
    for (int year = 2009; year <= 2011; ++year) {
      if (!std::filesystem::exists(Marker(home, year))) continue;
      // A marked year is complete: all its days are on disk.
      for (const auto& day : served->site.PublishedDays(year))
        EXPECT_TRUE(std::filesystem::exists(
            home / ("OriginalArchive/" + std::to_string(year) + "/" + tools::DayFileNameOf(day))))
            << year;
    }
  }
  ServedSite again(SmallSite());  // the same site, back on another port
  PrepareCliHome(home.path(), again, true);
  const CliOutcome o = RunCli(home.path());
  EXPECT_EQ(o.status, 0) << o.log;
  EXPECT_EQ(TreeDifferences(ExpectedOutputs(again.site, true), ReadOutputs(home.path())), "");
}

TEST(E2eTruth, AnIndexWithoutArchiveLinksEndsTheRunNamingTheAddress) {
  ServedSite served(SmallSite());
  served.server.SetFault(FakeSite::kIndexPath, Fault::Of(FaultKind::HtmlPage));
  TempDir home;
  PrepareCliHome(home.path(), served, true);
  const CliOutcome o = RunCli(home.path());
  EXPECT_EQ(o.status, 1);
  const std::string error =
      "インデックスページ " + served.IndexUrl() +
      " に日ごとのアーカイブへのリンクがありません (サイトのレイアウトが変わった可能性があります)";
  EXPECT_EQ(o.err, error + "\n");
  EXPECT_TRUE(Has(o.log, error + "\r\n")) << o.log;
  EXPECT_EQ(ArchiveRequests(served), 0);
  EXPECT_TRUE(std::filesystem::is_empty(home / "OriginalArchive"));
}

TEST(E2eTruth, OptionsThatCannotBeUsedStopTheRunBeforeAnythingIsFetched) {
  ServedSite served(SmallSite());
  for (const char* setting : {"EditGmtGap=abc", "EditRetryLimit=x"}) {
    SCOPED_TRACE(setting);
    TempDir home;
    PrepareCliHome(home.path(), served, true, std::string(setting) + "\r\n");
    const CliOutcome o = RunCli(home.path());
    EXPECT_EQ(o.status, 1);
    const std::string key = std::string(setting).substr(0, std::string(setting).find('='));
    EXPECT_TRUE(Has(o.out, "(" + key + ") の値 \"")) << o.out;
    EXPECT_TRUE(Has(o.log, "(" + key + ") の値 \"")) << o.log;
    EXPECT_TRUE(o.err.ends_with("\n"));
  }
  EXPECT_EQ(served.server.TotalRequests(), 0);
}

TEST(E2eTruth, APaddedCurrencyListIsReadAsMeantAndAnUnknownTickerFailsAlone) {
  ServedSite served(SmallSite());
  const auto& tickers = served.site.DayOptions().tickers;
  TempDir home;
  PrepareCliHome(
      home.path(), served, true, "",
      " " + tickers[0] + " \r\n\r\nGBPXXX\r\n\t" + tickers[1] + "\t\r\n \r\n" + tickers[2] + "\r\n");
  for (int run = 0; run < 2; ++run) {
    SCOPED_TRACE(run == 0 ? "first run" : "second run, nothing new");
    const CliOutcome o = RunCli(home.path());
    EXPECT_EQ(o.status, 1) << o.log;
    EXPECT_EQ(TreeDifferences(ExpectedOutputs(served.site, true), ReadOutputs(home.path())), "");
    const std::string notFound =
        "GBPXXX はアーカイブに見つかりませんでした "
        "(年ファイルがなく、今回変換した日ファイルにもこの通貨の行がありません)。"
        "CurrencyList.txt の綴りを確認してください";
    EXPECT_TRUE(Has(o.log, "\r\n失敗 : 1 件\r\n× " + notFound + "\r\n処理完了\r\n")) << o.log;
    EXPECT_TRUE(Has(o.log, "GBPXXX の年ファイルがないので、この通貨のMerge.txtは作りません\r\n"));
    EXPECT_FALSE(Has(o.log, "OriginalArchiveフォルダ")) << "no advice to delete the archive";
  }
  EXPECT_FALSE(std::filesystem::exists(home / ("HistoricalData/ " + tickers[0] + " ")));
  EXPECT_FALSE(std::filesystem::exists(home / "HistoricalData/1min"));
}

TEST(E2eTruth, ASecondRunOnTheSameHomeDoesNotStartWhileTheFirstGoesOn) {
  ServedSite served(SmallSite());
  Fault slow = Fault::Of(FaultKind::Slow);
  slow.delayMs = 20;
  for (int year = 2009; year <= 2011; ++year)
    for (const auto& day : served.site.PublishedDays(year))
      served.server.SetFault(FakeSite::ArchivePath(day), slow);
  TempDir home;
  PrepareCliHome(home.path(), served, true);
  crash::CliRun first(home.path() + "/");
  const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (!Has(first.Log(), " DL OK.") && std::chrono::steady_clock::now() < giveUp)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));

  const auto started = std::chrono::steady_clock::now();
  const CliOutcome second = RunCli(home.path());
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5)) << "refused at once";
  EXPECT_EQ(second.status, 1);
  const std::string busy = "別の実行 (プロセスID " + std::to_string(first.Pid()) + ") が " + home.path();
  EXPECT_TRUE(Has(second.err, busy)) << second.err;
  EXPECT_TRUE(Has(second.log, busy)) << "the refusal is on record";

  EXPECT_EQ(crash::DescribeStatus(first.Wait()), "exit 0") << first.Log();
  EXPECT_EQ(TreeDifferences(ExpectedOutputs(served.site, true), ReadOutputs(home.path())), "");
}

// A home on a small file system of its own (root only: it needs a mount), filled to leave
// `freeBytes`. Unmounted on the way out.
class SmallDisk {
 public:
  SmallDisk(const std::string& dir, std::size_t freeBytes) : dir_(dir) {
    std::filesystem::create_directories(dir);
    mounted_ = ::geteuid() == 0 && ::mount("tmpfs", dir.c_str(), "tmpfs", 0, "size=16m") == 0;
    if (mounted_) WriteFile(dir + "/filler", std::string((16u << 20) - freeBytes - (64u << 10), 'x'));
  }
  ~SmallDisk() {
    if (mounted_) ::umount2(dir_.c_str(), MNT_DETACH);
  }
  bool Mounted() const { return mounted_; }
  void MakeRoom() { std::filesystem::remove(dir_ + "/filler"); }

 private:
  std::string dir_;
  bool mounted_ = false;
};

// Whole days of bars, so that the archives, the day files, the year files and the merge files each
// take megabytes: the disk fills at a different step for each amount of room.
tools::FakeSiteOptions FullDays() {
  tools::FakeSiteOptions o = SmallSite();
  o.firstMinute = 0;
  o.lastMinute = 1439;
  return o;
}

TEST(E2eTruth, AFullDiskStopsTheRunAtOnceAndTheRunAfterMakingRoomCompletes) {
  ServedSite served(FullDays());
  const FileTree expected = ExpectedOutputs(served.site, true);
  // Room for about one archive (the extraction fills the disk), for a year's day files but not its
  // year files (the conversion does), for everything but the merge files.
  for (const std::size_t room : {std::size_t{120} << 10, std::size_t{1200} << 10, std::size_t{5} << 20}) {
    SCOPED_TRACE("room " + std::to_string(room));
    TempDir base;
    SmallDisk disk(base / "home", room);
    if (!disk.Mounted()) GTEST_SKIP() << "needs root to mount a small file system";
    const std::string home = base / "home/";
    PrepareCliHome(home, served, true);
    const int requestsBefore = ArchiveRequests(served);

    CliOutcome o = RunCli(home);
    EXPECT_EQ(o.status, 1) << o.log;
    EXPECT_TRUE(Has(o.err, "ディスクがいっぱいです。")) << o.err;
    EXPECT_FALSE(Has(o.out + o.err, "OriginalArchiveフォルダとHistoricalDataフォルダを削除"));
    EXPECT_FALSE(Has(o.out, " DL error !")) << "no download is tried again on a full disk";
    const int fetched = ArchiveRequests(served) - requestsBefore;
    EXPECT_LE(fetched, static_cast<int>(expected.size())) << "no retry storm";
    // A year marked complete has its year files whole.
    const FileTree now = ReadOutputs(home);
    for (int year = 2009; year <= 2011; ++year) {
      if (!now.count("OriginalArchive/" + std::to_string(year) + "/complete.arlm")) continue;
      const std::string name = "HistoricalData/" + served.site.DayOptions().tickers[0] + "/1min/1min_" +
                               std::to_string(year) + ".txt";
      EXPECT_EQ(now.count(name) ? now.at(name) : "", expected.at(name)) << year;
    }

    disk.MakeRoom();
    o = RunCli(home);
    EXPECT_EQ(o.status, 0) << o.log;
    EXPECT_EQ(TreeDifferences(expected, ReadOutputs(home)), "");
  }
}

}  // namespace
}  // namespace arl::test
