// The generated archive site and its server: the tree the run expects, growth into a new year, and
// the server's faults, counters and prompt stop.
#include "tools/lib/fake_site.h"

#include <archive.h>
#include <archive_entry.h>
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "acquire/curl_downloader.h"
#include "acquire/html_links.h"
#include "support/errors.h"
#include "tests/common/temp_dir.h"
#include "tools/lib/site_server.h"

namespace arl {
namespace {

using test::ReadFile;
using test::TempDir;
using tools::FakeSite;
using tools::FakeSiteOptions;
using tools::Fault;
using tools::FaultKind;
using tools::SiteServer;
using tools::Ymd;

const std::string kHost = "http://127.0.0.1:1";

struct ZipEntry {
  std::string name, content;
};

std::vector<ZipEntry> ReadZip(const std::string& path) {
  std::vector<ZipEntry> entries;
  struct archive* a = archive_read_new();
  archive_read_support_format_zip(a);
  if (archive_read_open_filename(a, path.c_str(), 1 << 16) != ARCHIVE_OK) {
    archive_read_free(a);
    return entries;
  }
  struct archive_entry* e = nullptr;
  while (archive_read_next_header(a, &e) == ARCHIVE_OK) {
    ZipEntry z{archive_entry_pathname(e), {}};
    char buf[1 << 14];
    la_ssize_t n;
    while ((n = archive_read_data(a, buf, sizeof buf)) > 0) z.content.append(buf, static_cast<size_t>(n));
    entries.push_back(std::move(z));
  }
  archive_read_free(a);
  return entries;
}

// The links of a page of the site, as the browser would resolve them on a server at kHost.
std::vector<std::string> LinksOf(const FakeSite& site, const std::string& path) {
  return ExtractLinkTargets(ReadFile(site.Dir() + path.substr(1)), kHost + path);
}

std::vector<std::string> Containing(const std::vector<std::string>& links, const std::string& a,
                                    const std::string& b) {
  std::vector<std::string> out;
  for (const auto& l : links) {
    if (l.find(a) != std::string::npos && l.find(b) != std::string::npos) out.push_back(l);
  }
  return out;
}

std::vector<std::string> ArchiveUrls(const std::vector<Ymd>& days) {
  std::vector<std::string> out;
  for (const auto& d : days) out.push_back(kHost + FakeSite::ArchivePath(d));
  return out;
}

FakeSiteOptions SmallSite() {
  FakeSiteOptions o;
  o.firstYear = 2009;
  o.lastYear = 2011;
  o.daysPerYear = 4;
  o.newestDays = 2;
  o.tickers = 2;
  o.firstMinute = 600;
  o.lastMinute = 660;
  return o;
}

TEST(FakeSite, GeneratesTheIndexYearPagesAndDayArchivesTheRunExpects) {
  TempDir dir;
  FakeSite site = FakeSite::Generate(dir.path(), SmallSite());
  auto index = LinksOf(site, FakeSite::kIndexPath);

  // The newest year's archives on the index, in date order, whatever form their hrefs take.
  EXPECT_EQ(Containing(index, "free_forex_quotes", ".zip"), ArchiveUrls(site.PublishedDays(2011)));
  EXPECT_EQ(site.PublishedDays(2011).size(), 2u);
  // One page per older year, newest first, plus the FAQ page that carries no year.
  EXPECT_EQ(
      Containing(index, "forex_history_arhiv_", ".htm"),
      (std::vector<std::string>{kHost + FakeSite::YearPagePath(2010), kHost + FakeSite::YearPagePath(2009),
                                kHost + "/free_forex_quotes/forex_history_arhiv_faq.htm"}));
  EXPECT_EQ(Containing(LinksOf(site, FakeSite::YearPagePath(2009)), "zip", "/2009/"),
            ArchiveUrls(site.PublishedDays(2009)));
  EXPECT_EQ(site.PublishedDays(2009).size(), 4u);

  // Every archive holds ddmmyy.txt with the day file of its date.
  for (int year = 2009; year <= 2011; ++year) {
    for (const Ymd& d : site.PublishedDays(year)) {
      auto entries = ReadZip(site.Dir() + FakeSite::ArchivePath(d).substr(1));
      ASSERT_EQ(entries.size(), 1u) << tools::ArchiveName(d);
      std::string txt = tools::ArchiveName(d);
      txt.replace(6, 4, ".txt");
      EXPECT_EQ(entries[0].name, txt);
      EXPECT_EQ(entries[0].content, tools::MakeDayFile(d, site.DayOptions()));
    }
  }

  // The same seed gives the same bytes; another seed other data.
  TempDir again, other;
  FakeSite::Generate(again.path(), SmallSite());
  FakeSiteOptions seeded = SmallSite();
  seeded.seed = 99;
  FakeSite::Generate(other.path(), seeded);
  const std::string first = FakeSite::ArchivePath(site.PublishedDays(2010)[0]).substr(1);
  EXPECT_EQ(ReadFile(again / first), ReadFile(dir / first));
  EXPECT_NE(ReadFile(other / first), ReadFile(dir / first));
}

TEST(FakeSite, GrowingPastAFullYearMovesItOntoAPageOfItsOwn) {
  TempDir dir;
  FakeSite::Generate(dir.path(), SmallSite());
  FakeSite site = FakeSite::Open(dir.path());  // a later process picks the site up from its state

  auto grown = site.Grow(2);  // fills 2011 (4 days)
  ASSERT_EQ(grown.size(), 2u);
  EXPECT_EQ(site.NewestYear(), 2011);
  EXPECT_EQ(Containing(LinksOf(site, FakeSite::kIndexPath), "free_forex_quotes", ".zip"),
            ArchiveUrls(site.PublishedDays(2011)));
  EXPECT_EQ(site.PublishedDays(2011).size(), 4u);

  auto next = FakeSite::Open(dir.path()).Grow(1);
  ASSERT_EQ(next.size(), 1u);
  EXPECT_EQ(next[0].year, 2012);
  EXPECT_EQ(next[0].month, 1);
  EXPECT_EQ(next[0].day, 2);  // the first trading day of 2012
  site = FakeSite::Open(dir.path());
  EXPECT_EQ(site.NewestYear(), 2012);
  auto index = LinksOf(site, FakeSite::kIndexPath);
  EXPECT_EQ(Containing(index, "free_forex_quotes", ".zip"), ArchiveUrls(site.PublishedDays(2012)));
  auto yearPages = Containing(index, "forex_history_arhiv_", ".html");
  ASSERT_FALSE(yearPages.empty());
  EXPECT_EQ(yearPages.front(), kHost + FakeSite::YearPagePath(2011));
  EXPECT_EQ(Containing(LinksOf(site, FakeSite::YearPagePath(2011)), "zip", "/2011/"),
            ArchiveUrls(site.PublishedDays(2011)));

  EXPECT_THROW(FakeSite::Open(dir / "nowhere"), Exception);
}

// Sends raw bytes and returns the status line of the answer.
std::string RawStatus(int port, const std::string& request) {
  int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(static_cast<uint16_t>(port));
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
    ::close(fd);
    return "";
  }
  (void)!::write(fd, request.data(), request.size());
  char buf[256] = {};
  ssize_t n = ::read(fd, buf, sizeof buf - 1);
  ::close(fd);
  std::string answer(buf, n > 0 ? static_cast<size_t>(n) : 0);
  return answer.substr(0, answer.find("\r\n"));
}

TEST(SiteServer, FaultsRunOutCountsArePerPathAndNothingOutsideTheRootIsServed) {
  TempDir dir;
  test::WriteFile(dir / "www/a.zip", "zip bytes");
  test::WriteFile(dir / "secret.txt", "secret");
  SiteServer server(dir / "www");
  server.Start();
  CurlDownloader downloader;
  const std::string out = dir / "a.zip";

  server.SetFault("/a.zip", Fault::Of(FaultKind::ServerError, 2));
  EXPECT_FALSE(downloader.Download(server.Url("/a.zip"), out));
  EXPECT_FALSE(downloader.Download(server.Url("/a.zip"), out));
  EXPECT_TRUE(downloader.Download(server.Url("/a.zip"), out));
  EXPECT_EQ(server.Requests("/a.zip"), 3);

  server.SetFault("/a.zip", Fault::Of(FaultKind::HtmlPage));
  EXPECT_TRUE(downloader.Download(server.Url("/a.zip"), out));  // a 200, as the real site does
  EXPECT_NE(ReadFile(out).find("<html>"), std::string::npos);
  server.ClearFaults();

  EXPECT_EQ(RawStatus(server.Port(), "GET /../secret.txt HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n"),
            "HTTP/1.1 404 Not Found");
  EXPECT_EQ(
      RawStatus(server.Port(), "GET /%2e%2e/secret.txt HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n"),
      "HTTP/1.1 404 Not Found");
  EXPECT_EQ(RawStatus(server.Port(), "GET /a.zip HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n"),
            "HTTP/1.1 200 OK");
  EXPECT_EQ(server.Requests("/a.zip"), 5);
  EXPECT_EQ(server.TotalRequests(), 7);
}

TEST(SiteServer, StopsPromptlyWithAStalledAnswerAndAnIdleClient) {
  TempDir dir;
  test::WriteFile(dir / "a.zip", std::string(10'000, 'z'));
  SiteServer server(dir.path());
  server.Start();
  server.SetFault("/a.zip", Fault::Of(FaultKind::Stall));

  bool stalledResult = true;
  std::thread stalled([&] {
    CurlDownloader downloader;  // default limits: it would wait a minute on its own
    stalledResult = downloader.Download(server.Url("/a.zip"), dir / "copy.zip");
  });
  int idle = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(static_cast<uint16_t>(server.Port()));
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ASSERT_EQ(::connect(idle, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
  while (server.Requests("/a.zip") == 0) std::this_thread::sleep_for(std::chrono::milliseconds(5));

  auto start = std::chrono::steady_clock::now();
  server.Stop();
  auto elapsed = std::chrono::steady_clock::now() - start;
  stalled.join();
  ::close(idle);
  EXPECT_LT(elapsed, std::chrono::milliseconds(1600));
  EXPECT_FALSE(stalledResult);
  EXPECT_FALSE(std::filesystem::exists(dir / "copy.zip"));
}

}  // namespace
}  // namespace arl
