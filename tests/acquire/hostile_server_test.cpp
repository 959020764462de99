// A server that misbehaves while day archives are fetched: slow, stalled, cut short, resetting the
// connection, or answering 200 with an HTML page. Each pass ends within its time-outs, logs the
// failure, leaves no partial or stray file and keeps every day file already on disk.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "acquire/archive_download.h"
#include "acquire/curl_downloader.h"
#include "tests/acquire/day_archives.h"
#include "tests/acquire/hostile_zip.h"
#include "tools/lib/site_server.h"

namespace arl {
namespace {

using Clock = std::chrono::steady_clock;
using tools::Fault;
using tools::FaultKind;

// Accepts connections on 127.0.0.1 for at most `seconds` and resets each one after its request.
class ResettingServer {
 public:
  explicit ResettingServer(int seconds) {
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    if (::bind(fd_, reinterpret_cast<sockaddr*>(&addr), len) != 0 || ::listen(fd_, 8) != 0) return;
    ::getsockname(fd_, reinterpret_cast<sockaddr*>(&addr), &len);
    port_ = ntohs(addr.sin_port);
    thread_ = std::thread([this, seconds] { Serve(Clock::now() + std::chrono::seconds(seconds)); });
  }
  ~ResettingServer() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    ::close(fd_);
  }
  std::string Url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + path;
  }
  int resets() const { return resets_; }

 private:
  void Serve(Clock::time_point deadline) {
    while (!stop_ && Clock::now() < deadline) {
      pollfd p{fd_, POLLIN, 0};
      if (::poll(&p, 1, 50) <= 0) continue;
      const int client = ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC);
      if (client < 0) continue;
      char buffer[4096];
      pollfd c{client, POLLIN, 0};
      if (::poll(&c, 1, 1000) > 0) (void)::read(client, buffer, sizeof buffer);
      const linger hard{1, 0};  // close with RST instead of FIN
      ::setsockopt(client, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
      ++resets_;  // counted before the client can see the reset
      ::close(client);
    }
  }
  int fd_ = -1, port_ = 0;
  std::atomic<bool> stop_{false};
  std::atomic<int> resets_{0};
  std::thread thread_;
};

class HostileServerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::WriteFile(site / zipPath.substr(1), test::HostileZip({{"030111.txt", "day of 3 Jan\r\n"}}));
    server.Start();
    test::WriteFile(YearDir() + "110104.txt", "day of 4 Jan\r\n");
    before = test::Snapshot(fs.session.paths.ArchiveDir);
    TransferLimits limits;
    limits.connectTimeoutSeconds = 2;
    limits.stallSeconds = 1;
    downloader = std::make_unique<CurlDownloader>(limits);
    session = std::make_unique<Session>(fs.host, fs.browser, *downloader, fs.session.paths);
  }
  std::string YearDir() const { return fs.session.paths.ArchiveDir + "2011/"; }
  // One pass over one link with a retry limit of 2; returns the seconds it took.
  double Pass(const std::string& link) {
    const auto start = Clock::now();
    DownloadMissingArchives(*session, {link}, 2);
    return std::chrono::duration<double>(Clock::now() - start).count();
  }
  void ExpectFailedTwiceAndNothingChanged(const std::string& link) {
    EXPECT_EQ(test::CountLogged(fs.host, link + " DL error !"), 2);
    EXPECT_EQ(fs.host.messageBoxes.size(), 1u);
    EXPECT_EQ(test::Snapshot(fs.session.paths.ArchiveDir), before);
  }

  test::TempDir site;
  tools::SiteServer server{site.path()};
  const std::string zipPath = "/free_forex_quotes/2011/030111.zip";
  test::FakeSession fs;
  std::map<std::string, std::string> before;
  std::unique_ptr<CurlDownloader> downloader;
  std::unique_ptr<Session> session;
};

TEST_F(HostileServerTest, StalledCutAndResetTransfersFailWithinTheirTimeOuts) {
  server.SetFault(zipPath, Fault::Of(FaultKind::Stall));
  EXPECT_LT(Pass(server.Url(zipPath)), 8.0);
  ExpectFailedTwiceAndNothingChanged(server.Url(zipPath));

  fs.host.logged.clear();
  fs.host.messageBoxes.clear();
  server.SetFault(zipPath, Fault::Of(FaultKind::Truncated));
  EXPECT_LT(Pass(server.Url(zipPath)), 8.0);
  ExpectFailedTwiceAndNothingChanged(server.Url(zipPath));

  fs.host.logged.clear();
  fs.host.messageBoxes.clear();
  ResettingServer resetting(20);
  const std::string link = resetting.Url(zipPath);
  EXPECT_LT(Pass(link), 8.0);
  ExpectFailedTwiceAndNothingChanged(link);
  EXPECT_EQ(resetting.resets(), 2);
}

TEST_F(HostileServerTest, AnHtmlPageServedAsTheArchiveLeavesTheDayMissing) {
  server.SetFault(zipPath, Fault::Of(FaultKind::HtmlPage));
  Pass(server.Url(zipPath));
  EXPECT_EQ(test::CountLogged(fs.host, server.Url(zipPath) + " DL OK."), 1);
  EXPECT_EQ(test::CountLogged(fs.host, "030111.zip → 110103.txtへのリネーム 失敗"), 1);
  EXPECT_EQ(test::Snapshot(fs.session.paths.ArchiveDir), before);
}

TEST_F(HostileServerTest, ASlowButSteadyServerIsWaitedFor) {
  Fault slow = Fault::Of(FaultKind::Slow);
  slow.delayMs = 300;
  slow.trickleMs = 200;
  slow.trickleBytes = 64;
  server.SetFault(zipPath, slow);
  Pass(server.Url(zipPath));
  auto expected = before;
  expected["2011/110103.txt"] = "day of 3 Jan\r\n";
  EXPECT_EQ(test::Snapshot(fs.session.paths.ArchiveDir), expected);
  EXPECT_TRUE(fs.host.messageBoxes.empty());
}

TEST_F(HostileServerTest, LinksOfOtherSchemesOrHugeAddressesFetchNothing) {
  const std::string outside = fs.home.path() + "outside/";
  test::WriteFile(outside + "2011/030111.zip", test::HostileZip({{"030111.txt", "not from the site\r\n"}}));
  const std::vector<std::string> links = {
      "file://" + outside + "2011/030111.zip",
      "ftp://127.0.0.1:1/2011/030111.zip",
      "javascript:go('/2011/030111.zip')",
      server.Url("/free_forex_quotes/2011/" + std::string(200000, 'a') + "/030111.zip"),
  };
  for (const std::string& link : links) {
    fs.host.logged.clear();
    fs.host.messageBoxes.clear();
    EXPECT_LT(Pass(link), 8.0);
    ExpectFailedTwiceAndNothingChanged(link);
  }
}

}  // namespace
}  // namespace arl
