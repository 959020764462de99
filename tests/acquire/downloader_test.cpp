// The curl downloader against the in-process site server and its faults: a target appears only
// after a complete 2xx transfer, and nothing partial is ever left behind.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "acquire/curl_downloader.h"
#include "tests/common/temp_dir.h"
#include "tools/lib/site_server.h"

namespace arl {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteFile;
using tools::Fault;
using tools::FaultKind;
using tools::SiteServer;

std::vector<std::string> Names(const std::string& dir) {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(dir))
    names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

std::string Bytes(std::size_t n) {
  std::string s(n, '\0');
  for (std::size_t i = 0; i < n; ++i) s[i] = static_cast<char>((i * 7919) % 251);
  return s;
}

struct DownloadFixture : ::testing::Test {
  TempDir site, out;
  SiteServer server{site.path()};
  std::string body = Bytes(200'000);
  std::string target = out / "030111.zip";
  std::unique_ptr<CurlDownloader> downloader;  // declared after the server: closed before it stops

  void SetUp() override {
    WriteFile(site / "free_forex_quotes/2011/01/030111.zip", body);
    server.Start();
    TransferLimits limits;
    limits.connectTimeoutSeconds = 2;
    limits.stallSeconds = 1;
    downloader = std::make_unique<CurlDownloader>(limits);
  }
  bool Get(const std::string& path) { return downloader->Download(server.Url(path), target); }
  const std::string zipPath = "/free_forex_quotes/2011/01/030111.zip";
};

TEST_F(DownloadFixture, CompleteTransfersReplaceTheTargetAndReuseTheHandle) {
  WriteFile(target, "an older file");
  ASSERT_TRUE(Get(zipPath)) << downloader->LastError();
  EXPECT_EQ(ReadFile(target), body);
  ASSERT_TRUE(Get(zipPath));
  EXPECT_EQ(Names(out.path()), (std::vector<std::string>{"030111.zip"}));
  EXPECT_EQ(server.Requests(zipPath), 2);
  EXPECT_EQ(downloader->LastError(), "");

  // A body that trickles in is taken whole.
  Fault slow = Fault::Of(FaultKind::Slow, 1);
  slow.trickleMs = 40;
  slow.trickleBytes = 20'000;
  server.SetFault(zipPath, slow);
  ASSERT_TRUE(Get(zipPath));
  EXPECT_EQ(ReadFile(target), body);
}

TEST_F(DownloadFixture, ErrorStatusesAndCutBodiesFailAndKeepTheOldTarget) {
  server.SetFault(zipPath, Fault::Of(FaultKind::ServerError, 1));
  EXPECT_FALSE(Get(zipPath));
  EXPECT_EQ(downloader->LastError(), "HTTP 500");
  EXPECT_TRUE(Names(out.path()).empty());                      // no target and no temporary file
  EXPECT_FALSE(Get("/free_forex_quotes/2011/01/040111.zip"));  // 404
  EXPECT_TRUE(Names(out.path()).empty());

  WriteFile(target, "the old file");
  server.SetFault(zipPath, Fault::Of(FaultKind::Truncated, 1));
  EXPECT_FALSE(Get(zipPath));
  EXPECT_EQ(ReadFile(target), "the old file");
  EXPECT_EQ(Names(out.path()), (std::vector<std::string>{"030111.zip"}));

  // The connection was closed under the client: the next transfer must still work.
  ASSERT_TRUE(Get(zipPath)) << downloader->LastError();
  EXPECT_EQ(ReadFile(target), body);
}

TEST_F(DownloadFixture, AStalledServerFailsAfterTheStallTimeOut) {
  WriteFile(target, "the old file");
  server.SetFault(zipPath, Fault::Of(FaultKind::Stall, 1));
  auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(Get(zipPath));
  auto elapsed = std::chrono::steady_clock::now() - start;
  EXPECT_GE(elapsed, std::chrono::milliseconds(800));
  EXPECT_LT(elapsed, std::chrono::seconds(5));
  EXPECT_EQ(ReadFile(target), "the old file");
  EXPECT_EQ(Names(out.path()), (std::vector<std::string>{"030111.zip"}));
}

TEST_F(DownloadFixture, OnlyHttpAndHttpsAreFetchedEvenThroughRedirects) {
  Fault moved = Fault::Of(FaultKind::Redirect);
  moved.location = zipPath;
  server.SetFault("/old/030111.zip", moved);
  ASSERT_TRUE(Get("/old/030111.zip"));
  EXPECT_EQ(ReadFile(target), body);
  std::filesystem::remove(target);

  std::string local = "file://" + site.path() + "free_forex_quotes/2011/01/030111.zip";
  EXPECT_FALSE(downloader->Download(local, target));
  EXPECT_FALSE(downloader->Download("ftp://127.0.0.1:" + std::to_string(server.Port()) + "/x.zip", target));
  Fault toFile = Fault::Of(FaultKind::Redirect);
  toFile.location = local;
  server.SetFault("/to-file.zip", toFile);
  EXPECT_FALSE(Get("/to-file.zip"));
  EXPECT_TRUE(Names(out.path()).empty());
}

TEST_F(DownloadFixture, OversizedBodiesAndMissingDirectoriesFail) {
  TransferLimits small;
  small.maxBodyBytes = 1000;
  downloader = std::make_unique<CurlDownloader>(small);
  EXPECT_FALSE(Get(zipPath));
  EXPECT_TRUE(Names(out.path()).empty());

  target = out / "no/such/dir/030111.zip";
  downloader = std::make_unique<CurlDownloader>();
  EXPECT_FALSE(Get(zipPath));
  EXPECT_EQ(server.Requests(zipPath), 1);  // the first attempt only: no temp file, no transfer
}

}  // namespace
}  // namespace arl
