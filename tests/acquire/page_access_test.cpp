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

// A served directory, a real browser and a session over recorded events.
struct PageFixture : ::testing::Test {
  TempDir site, home;
  SiteServer server{site.path()};
  CurlBrowser browser{QuickLimits()};
  FakeEvents host;
  test::FakeDownloader downloader;
  Session s{host, browser, downloader, Paths::ForAppDir(home.path())};

  void SetUp() override { server.Start(); }
  void Page(const std::string& path, const std::string& body) {
    test::WriteFile(site / path.substr(1), body);
  }
  void Open(const std::string& path) {
    browser.Navigate(server.Url(path));
    WaitForBrowser(s);
  }
  LineList Collect(const std::string& filter) { return CollectPageLinks(s, filter); }
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

TEST_F(PageFixture, ACancelFromAnotherThreadEndsTheWaitAtOnce) {
  Page("/slow.html", "<a href=\"x.zip\">x</a>");
  Fault slow = Fault::Of(FaultKind::Slow, 1);
  slow.delayMs = 5000;
  server.SetFault("/slow.html", slow);

  browser.Navigate(server.Url("/slow.html"));
  const auto start = std::chrono::steady_clock::now();
  std::thread canceller([this] {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    s.cancel.Cancel();
  });
  WaitForBrowser(s);
  const auto elapsed = std::chrono::steady_clock::now() - start;
  canceller.join();
  EXPECT_LT(elapsed, std::chrono::milliseconds(2000)) << "woken by the cancel, not by the page";

  // The collection after the cancel is empty; a wait on a cancelled token returns at once; a new
  // navigation abandons the slow load.
  EXPECT_TRUE(Collect("zip").empty());
  browser.Navigate(server.Url("/slow.html"));
  WaitForBrowser(s);
  s.cancel.Reset();
  Open("/slow.html");
  EXPECT_EQ(Collect("zip"), (LineList{server.Url("/x.zip")}));
}

// A browser that cancels the run once a number of targets have been read.
class CancellingBrowser : public PageBrowser {
 public:
  CancellingBrowser(PageBrowser& inner, int cancelAfterReads) : inner_(inner), left_(cancelAfterReads) {}
  void Navigate(const std::string& a) override { inner_.Navigate(a); }
  void Wait(const CancelToken& cancel) override { inner_.Wait(cancel); }
  int AnchorCount() override { return inner_.AnchorCount(); }
  std::string AnchorTarget(int i) override {
    if (--left_ == 0) cancel->Cancel();
    return inner_.AnchorTarget(i);
  }

 private:
  PageBrowser& inner_;
  int left_;

 public:
  CancelToken* cancel = nullptr;  // the token of the session that uses the browser
};

TEST_F(PageFixture, CancelDuringCollectionGivesNoLinksButAFilterWithoutPiecesIgnoresTheToken) {
  Page("/index.html", kIndex);
  Open("/index.html");
  CancellingBrowser cancelling(browser, 3);  // after the first link was accepted
  Session cs{host, cancelling, downloader, s.paths};
  cancelling.cancel = &cs.cancel;
  EXPECT_TRUE(CollectPageLinks(cs, "zip").empty());

  // Token already set: with no pieces it is never read, every link is listed.
  EXPECT_EQ(CollectPageLinks(cs, "").size(), 7u);
}

}  // namespace
}  // namespace arl
