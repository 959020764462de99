// The curl-based browser: link resolution as a browser does it, redirects, local files, failures.
#include "acquire/curl_browser.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "acquire/html_links.h"
#include "tests/common/temp_dir.h"
#include "tools/lib/site_server.h"

namespace arl {
namespace {

using test::TempDir;
using tools::Fault;
using tools::FaultKind;
using tools::SiteServer;

// Waits for the page as the run does; gives up (cancels the wait) after `limit`.
bool Load(CurlBrowser& b, const std::string& address,
          std::chrono::milliseconds limit = std::chrono::milliseconds(10000)) {
  b.Navigate(address);
  CancelToken giveUp;
  std::atomic<bool> done{false};
  std::thread watchdog([&] {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done && std::chrono::steady_clock::now() < end)
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    if (!done) giveUp.Cancel();
  });
  b.Wait(giveUp);
  done = true;
  watchdog.join();
  return !giveUp.Cancelled();
}

std::vector<std::string> Anchors(CurlBrowser& b) {
  std::vector<std::string> out;
  for (int i = 0; i < b.AnchorCount(); ++i) out.push_back(b.AnchorTarget(i));
  return out;
}

TEST(HtmlLinks, ResolvesEveryFormOfReferenceAgainstThePageOrItsBase) {
  const std::string page = "http://127.0.0.1:8080/free_forex_quotes/forex_history_arhiv.html";
  auto targets = ExtractLinkTargets(
      "<a href=\"2011/01/030111.zip\"></a><a href=\"/x/y.zip\"></a><a href=\"../up.htm\"></a>"
      "<a href=\"  spaced.zip \"></a><a href=\"?q=1\"></a><a href=\"\"></a><a href=\"#top\"></a>"
      "<a href=\"//other.example/z.zip\"></a><a href=\"https://site.example/a.zip\"></a>"
      "<a href=\"mailto:me@example.org\"></a><a></a><div><p><a href=\"deep/nested.zip\"></a></p></div>",
      page);
  const std::string dir = "http://127.0.0.1:8080/free_forex_quotes/";
  EXPECT_EQ(targets, (std::vector<std::string>{dir + "2011/01/030111.zip", "http://127.0.0.1:8080/x/y.zip",
                                               "http://127.0.0.1:8080/up.htm", dir + "spaced.zip",
                                               dir + "forex_history_arhiv.html?q=1", page, page + "#top",
                                               "http://other.example/z.zip", "https://site.example/a.zip",
                                               "mailto:me@example.org", "", dir + "deep/nested.zip"}));

  // The first <base href> counts wherever it stands, itself relative to the page.
  auto based = ExtractLinkTargets(
      "<html><head></head><body><a href=\"a.zip\"></a><base href=\"/mirror/2010/\"><base href=\"/ignored/\">"
      "</body></html>",
      page);
  EXPECT_EQ(based, (std::vector<std::string>{"http://127.0.0.1:8080/mirror/2010/a.zip"}));
  EXPECT_TRUE(ExtractLinkTargets("", page).empty());
  EXPECT_TRUE(ExtractLinkTargets("<<<not html at all", page).empty());
}

TEST(CurlBrowser, RedirectedPagesResolveAgainstTheFinalAddressAndFilePagesWork) {
  TempDir site;
  test::WriteFile(site / "free_forex_quotes/page.html", "<a href=\"2011/01/030111.zip\">z</a>");
  SiteServer server(site.path());
  server.Start();
  Fault moved = Fault::Of(FaultKind::Redirect);
  moved.location = "/free_forex_quotes/page.html";
  server.SetFault("/old/page.html", moved);

  CurlBrowser b;
  std::string loadedAddress;
  b.onPageLoaded = [&](const std::string& a, const std::string&) { loadedAddress = a; };
  ASSERT_TRUE(Load(b, server.Url("/old/page.html")));
  EXPECT_FALSE(b.LoadFailed());
  EXPECT_EQ(Anchors(b), (std::vector<std::string>{server.Url("/free_forex_quotes/2011/01/030111.zip")}));
  EXPECT_EQ(loadedAddress, server.Url("/free_forex_quotes/page.html"));

  ASSERT_TRUE(Load(b, "file://" + site.path() + "free_forex_quotes/page.html"));
  EXPECT_EQ(Anchors(b),
            (std::vector<std::string>{"file://" + site.path() + "free_forex_quotes/2011/01/030111.zip"}));

  // about:blank is empty and loaded at once; it also drops the previous page's links.
  b.Navigate("about:blank");
  EXPECT_EQ(b.AnchorCount(), 0);
  EXPECT_EQ(b.AnchorTarget(0), "");
  EXPECT_EQ(loadedAddress, "about:blank");
}

TEST(CurlBrowser, StalledMissingAndOversizedPagesFailWithNoLinks) {
  TempDir site;
  std::string links;
  for (int i = 0; i < 200; ++i) links += "<a href=\"f" + std::to_string(i) + ".zip\">x</a>\n";
  test::WriteFile(site / "big.html", links);
  test::WriteFile(site / "small.html", "<a href=\"s.zip\">s</a>");
  SiteServer server(site.path());
  server.Start();

  TransferLimits limits = BrowserLimits();
  limits.stallSeconds = 1;
  limits.maxBodyBytes = 1000;
  CurlBrowser b(limits);
  std::string html;
  b.onPageLoaded = [&](const std::string&, const std::string& h) { html = h; };

  ASSERT_TRUE(Load(b, server.Url("/big.html")));
  EXPECT_TRUE(b.LoadFailed());
  EXPECT_EQ(b.AnchorCount(), 0);

  ASSERT_TRUE(Load(b, "file://" + site.path() + "missing.html"));
  EXPECT_TRUE(b.LoadFailed());
  EXPECT_NE(html.find("missing.html"), std::string::npos);

  server.SetFault("/small.html", Fault::Of(FaultKind::Stall));
  auto start = std::chrono::steady_clock::now();
  ASSERT_TRUE(Load(b, server.Url("/small.html")));
  auto elapsed = std::chrono::steady_clock::now() - start;
  EXPECT_TRUE(b.LoadFailed());
  EXPECT_GE(elapsed, std::chrono::milliseconds(800));
  EXPECT_LT(elapsed, std::chrono::seconds(5));
}

TEST(CurlBrowser, AFailedLoadSaysWhyAndAGoodOneClearsIt) {
  TempDir site;
  test::WriteFile(site / "page.html", "<a href=\"2011/030111.zip\">z</a>" + std::string(4000, ' '));
  SiteServer server(site.path());
  server.Start();
  CurlBrowser b;
  server.SetFault("/page.html", Fault::Of(FaultKind::ServerError, 1));
  ASSERT_TRUE(Load(b, server.Url("/page.html")));
  EXPECT_EQ(b.LoadError(), "HTTP 500");
  EXPECT_EQ(b.AnchorCount(), 0);
  // A body cut short of its announced length is a failed load, not a page with fewer links.
  server.SetFault("/page.html", Fault::Of(FaultKind::Truncated, 1));
  ASSERT_TRUE(Load(b, server.Url("/page.html")));
  EXPECT_NE(b.LoadError(), "");
  EXPECT_EQ(b.AnchorCount(), 0);
  ASSERT_TRUE(Load(b, server.Url("/page.html")));
  EXPECT_EQ(b.LoadError(), "");
  EXPECT_EQ(b.AnchorCount(), 1);
  ASSERT_TRUE(Load(b, "http://127.0.0.1:1/page.html"));
  EXPECT_NE(b.LoadError().find("Couldn't connect to server"), std::string::npos) << b.LoadError();
}

TEST(CurlBrowser, ANewNavigationAbandonsTheLoadInProgress) {
  TempDir site;
  test::WriteFile(site / "slow.html", "<a href=\"slow.zip\">s</a>");
  test::WriteFile(site / "fast.html", "<a href=\"fast.zip\">f</a>");
  SiteServer server(site.path());
  server.Start();
  Fault slow = Fault::Of(FaultKind::Slow);
  slow.delayMs = 3000;
  server.SetFault("/slow.html", slow);

  CurlBrowser b;
  std::vector<std::string> loaded;
  b.onPageLoaded = [&](const std::string& a, const std::string&) { loaded.push_back(a); };
  b.Navigate(server.Url("/slow.html"));
  ASSERT_TRUE(Load(b, server.Url("/fast.html"), std::chrono::milliseconds(2000)));
  EXPECT_EQ(Anchors(b), (std::vector<std::string>{server.Url("/fast.zip")}));
  EXPECT_EQ(loaded, (std::vector<std::string>{server.Url("/fast.html")}));
}

}  // namespace
}  // namespace arl
