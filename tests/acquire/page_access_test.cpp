// Page access over the real browser: WaitForBrowser and CollectPageLinks against pages served by the
// in-process site server.
#include "acquire/page_access.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "acquire/curl_browser.h"
#include "tests/common/fake_host.h"
#include "tools/lib/site_server.h"

namespace arl {
namespace {

using test::FakeEvents;
using test::TempDir;
using tools::Fault;
using tools::FaultKind;
using tools::SiteServer;

TransferLimits QuickLimits() {
  TransferLimits l = BrowserLimits();
  l.connectTimeoutSeconds = 2;
  l.stallSeconds = 1;
  return l;
}

// A served directory, a real browser and a session over a scripted host. Sleeps are real but short,
// except where a test restores the full 200 ms.
struct PageFixture : ::testing::Test {
  TempDir site, home;
  SiteServer server{site.path()};
  CurlBrowser browser{QuickLimits()};
  FakeEvents host;
  test::FakeDownloader downloader;
  Session s{host, browser, downloader, Paths::ForAppDir(home.path())};

  void SetUp() override {
    s.sleep = [](int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms / 20)); };
    server.Start();
  }
  void Page(const std::string& path, const std::string& body) {
    test::WriteFile(site / path.substr(1), body);
  }
  void Open(const std::string& path) {
    browser.Navigate(server.Url(path));
    WaitForBrowser(s);
  }
  LineList Collect(const std::string& filter) {
    CollectPageLinks(s, filter, host.memo2);
    return host.linksPane;
  }
};

const char* kIndex =
    "<html><body>"
    "<a href=\"/free_forex_quotes/2011/01/030111.zip\">a</a>"
    "<a href=\"/free_forex_quotes/2011/01/040111.ZIP\">upper case</a>"
    "<a href=\"/downloads/viewer.zip\">unrelated zip</a>"
    "<a name=\"no-target\">anchor without href</a>"
    "<a href=\"2011/01/050111.zip\">relative</a>"
    "<a href=\"forex_history_arhiv_2010.html\">2010</a>"
    "<a href=\"/free_forex_quotes/2011/01/030111.zip\">duplicate</a>"
    "</body></html>";

TEST_F(PageFixture, FilterPiecesMustAllOccurCaseSensitivelyWithDuplicatesInPageOrder) {
  Page("/free_forex_quotes/forex_history_arhiv.html", kIndex);
  Open("/free_forex_quotes/forex_history_arhiv.html");
  const std::string zip1 = server.Url("/free_forex_quotes/2011/01/030111.zip");
  const std::string zip3 = server.Url("/free_forex_quotes/2011/01/050111.zip");

  EXPECT_EQ(Collect("free_forex_quotes,.zip"), (LineList{zip1, zip3, zip1}));
  // Pieces in the other order, and quoted, select the same links.
  EXPECT_EQ(Collect("\".zip\" , free_forex_quotes"), (LineList{zip1, zip3, zip1}));
  EXPECT_EQ(Collect("zip"), (LineList{zip1, server.Url("/downloads/viewer.zip"), zip3, zip1}));
  EXPECT_EQ(Collect("forex_history_arhiv_,.htm"),
            (LineList{server.Url("/free_forex_quotes/forex_history_arhiv_2010.html")}));
  // An empty piece rejects everything; no pieces at all accepts everything, "" for the bare anchor.
  EXPECT_TRUE(Collect("zip,").empty());
  EXPECT_TRUE(Collect(",zip").empty());
  LineList all = Collect("");
  ASSERT_EQ(all.size(), 7u);
  EXPECT_EQ(all[3], "");
  EXPECT_EQ(all[1], server.Url("/free_forex_quotes/2011/01/040111.ZIP"));
}

TEST_F(PageFixture, PagesThatFailOrHaveNoLinksLeaveThePaneEmpty) {
  Page("/empty.html", "<html><body><p>no links here</p></body></html>");
  Page("/links.html", "<a href=\"x.zip\">x</a>");
  std::string lastHtml;
  browser.onPageLoaded = [&](const std::string&, const std::string& html) { lastHtml = html; };

  host.linksPane = {"left over"};
  Open("/empty.html");
  EXPECT_TRUE(Collect("zip").empty());

  server.SetFault("/links.html", Fault::Of(FaultKind::NotFound));
  Open("/links.html");
  EXPECT_TRUE(Collect("").empty());
  EXPECT_NE(lastHtml.find("ページを表示できません"), std::string::npos);

  server.SetFault("/links.html", Fault::Of(FaultKind::ServerError));
  Open("/links.html");
  EXPECT_TRUE(Collect("").empty());

  // A server that is gone: connection refused.
  std::string deadUrl = server.Url("/links.html");
  server.Stop();
  browser.Navigate(deadUrl);
  WaitForBrowser(s);
  EXPECT_TRUE(browser.LoadFailed());
  EXPECT_TRUE(Collect("").empty());
}

TEST_F(PageFixture, CancelDuringASlowLoadEndsTheWaitWithinAPoll) {
  Page("/slow.html", "<a href=\"x.zip\">x</a>");
  Fault slow = Fault::Of(FaultKind::Slow, 1);
  slow.delayMs = 5000;
  server.SetFault("/slow.html", slow);
  s.sleep = [](int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); };
  host.CancelAtPump(1);

  browser.Navigate(server.Url("/slow.html"));
  auto start = std::chrono::steady_clock::now();
  EXPECT_TRUE(WaitForBrowser(s));
  auto elapsed = std::chrono::steady_clock::now() - start;
  EXPECT_LT(elapsed, std::chrono::milliseconds(350));
  EXPECT_EQ(host.pumps, 1);

  // The collection after the cancel leaves the pane empty; a new navigation abandons the slow load.
  host.linksPane = {"left over"};
  EXPECT_TRUE(Collect("zip").empty());
  host.onPump = nullptr;
  host.goOn = true;
  s.sleep = [](int) { std::this_thread::sleep_for(std::chrono::milliseconds(5)); };
  Open("/slow.html");
  EXPECT_EQ(Collect("zip"), (LineList{server.Url("/x.zip")}));
}

// A browser that clears the go-on flag once a number of targets have been read.
class CancellingBrowser : public PageBrowser {
 public:
  CancellingBrowser(PageBrowser& inner, FakeEvents& host, int cancelAfterReads)
      : inner_(inner), host_(host), left_(cancelAfterReads) {}
  void Navigate(const std::string& a) override { inner_.Navigate(a); }
  bool Busy() override { return inner_.Busy(); }
  int AnchorCount() override { return inner_.AnchorCount(); }
  std::string AnchorTarget(int i) override {
    if (--left_ == 0) host_.goOn = false;
    return inner_.AnchorTarget(i);
  }

 private:
  PageBrowser& inner_;
  FakeEvents& host_;
  int left_;
};

TEST_F(PageFixture, CancelDuringCollectionLeavesThePaneEmptyButAFilterWithoutPiecesIgnoresTheFlag) {
  Page("/index.html", kIndex);
  Open("/index.html");
  CancellingBrowser cancelling(browser, host, 3);  // after the first link was accepted
  Session cs{host, cancelling, downloader, s.paths};
  host.linksPane = {"left over"};
  CollectPageLinks(cs, "zip", host.memo2);
  EXPECT_TRUE(host.linksPane.empty());

  // Flag already cleared: with no pieces it is never read, every link is listed.
  CollectPageLinks(cs, "", host.memo2);
  EXPECT_EQ(host.linksPane.size(), 7u);
}

TEST(WaitForBrowser, IdleBrowserCostsTwoPumpsAndNoSleep) {
  test::FakeSession fs;
  std::vector<int> sleeps;
  fs.session.sleep = [&](int ms) { sleeps.push_back(ms); };
  EXPECT_TRUE(WaitForBrowser(fs.session));
  EXPECT_EQ(fs.host.pumps, 2);
  EXPECT_TRUE(sleeps.empty());
}

}  // namespace
}  // namespace arl
