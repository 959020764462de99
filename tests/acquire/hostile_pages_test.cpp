// Index and year pages that are broken, huge or hostile: reading their links always ends, quickly,
// with the links a browser would show, and a year page full of links that cannot be fetched ends
// the year without a file written anywhere.
#include <gtest/gtest.h>

#include <chrono>

#include "acquire/curl_browser.h"
#include "acquire/html_links.h"
#include "acquire/html_nesting.h"
#include "acquire/page_access.h"
#include "acquire/year_discovery.h"
#include "acquire/year_sync.h"
#include "support/regexp.h"
#include "tests/acquire/day_archives.h"
#include "tests/acquire/hostile_zip.h"
#include "tools/lib/site_server.h"

namespace arl {
namespace {

using Clock = std::chrono::steady_clock;
constexpr char kPage[] = "http://quotes.test/free_forex_quotes/forex_history_arhiv_2011.htm";

double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

std::string Repeat(const std::string& piece, int times) {
  std::string s;
  for (int i = 0; i < times; ++i) s += piece;
  return s;
}

TEST(HostilePages, BrokenMarkupStillGivesTheLinksInTheBrowsersOrder) {
  const std::string html =
      "<html><body><table><tr><td><a href=2011/030111.zip>unquoted</td>"  // never closed
      "<a href='2011/040111.zip' <b>>attribute soup</a>"
      "<!-- <a href=\"2011/hidden.zip\"> --><script>document.write('<a href=\"x.zip\">')</script>"
      "<a href=\"  2011/050111.zip\n\">spaces</a><a href=\"2011/060111.zip";  // cut off mid-attribute
  // Content stranded inside a table row is moved in front of the table, as a browser does.
  EXPECT_EQ(ExtractLinkTargets(html, kPage),
            (std::vector<std::string>{"http://quotes.test/free_forex_quotes/2011/040111.zip",
                                      "http://quotes.test/free_forex_quotes/2011/050111.zip",
                                      "http://quotes.test/free_forex_quotes/2011/030111.zip"}));
  EXPECT_TRUE(ExtractLinkTargets(std::string("\0\xff\xfe<a\0href=x>", 12), kPage).size() <= 1);
  EXPECT_TRUE(ExtractLinkTargets("", kPage).empty());
}

TEST(HostilePages, OtherSchemesTraversalAndLongAddressesAreShownNotFollowed) {
  const std::string longPath = "/free_forex_quotes/2011/" + std::string(100000, 'a') + "/030111.zip";
  const std::string html =
      "<a href=\"../../../../2011/030111.zip\">up</a><a href=\"/etc/2011/040111.zip\">abs</a>"
      "<a href=\"file:///etc/passwd\">f</a><a href=\"ftp://quotes.test/2011/050111.zip\">ftp</a>"
      "<a href=\"javascript:go('/2011/060111.zip')\">js</a><a href=\"" +
      longPath + "\">long</a>";
  const auto links = ExtractLinkTargets(html, kPage);
  ASSERT_EQ(links.size(), 6u);
  EXPECT_EQ(links[0], "http://quotes.test/2011/030111.zip");  // ".." never climbs above the host
  EXPECT_EQ(links[1], "http://quotes.test/etc/2011/040111.zip");
  EXPECT_EQ(links[2], "file:///etc/passwd");
  EXPECT_EQ(links[3], "ftp://quotes.test/2011/050111.zip");
  EXPECT_EQ(links[4].rfind("javascript:", 0), 0u);
  EXPECT_EQ(links[5], "http://quotes.test" + longPath);
}

TEST(HostilePages, DeeplyNestedPagesAreRefusedAtOnceButRealPagesAreNot) {
  // Tens of thousands of open elements used to keep the parser busy for minutes.
  for (const std::string tag : {"<div>", "<b>", "<div/>", "<svg>", "<table><td><span>"}) {
    const std::string html = Repeat(tag, 60000) + "<a href=\"2011/030111.zip\">x</a>";
    const auto start = Clock::now();
    EXPECT_TRUE(ExtractLinkTargets(html, kPage).empty()) << tag;
    EXPECT_LT(SecondsSince(start), 2.0) << tag;
  }
  // Thousands of links, closed or not, and nesting as deep as real pages go, are read in full.
  const std::string many = Repeat("<li><a href=\"2011/030111.zip\">x</a>", 20000) +
                           Repeat("<p><a href=\"2011/040111.zip\">y", 20000);
  const auto start = Clock::now();
  EXPECT_EQ(ExtractLinkTargets(many, kPage).size(), 40000u);
  EXPECT_LT(SecondsSince(start), 5.0);
  EXPECT_TRUE(NestingWithin(Repeat("<div><span><i>", 500) + Repeat("</i></span></div>", 500), 1600));
  EXPECT_TRUE(NestingWithin(Repeat("<div><span>text</div>", 5000), 100));  // a span left open
  EXPECT_TRUE(NestingWithin(Repeat("<svg><path d='M0 0'/><g/></svg>", 5000), 100));
  EXPECT_TRUE(NestingWithin(Repeat("<script>'<div>'</script><!--<div>--><p title='<div>'>", 5000), 100));
  EXPECT_FALSE(NestingWithin(Repeat("<div><object><span></div>", 50), 100));  // the end tag closes nothing
}

TEST(HostilePages, ABrokenPageServedOverHttpIsReadWithoutHanging) {
  test::TempDir site;
  const std::string page = "/free_forex_quotes/forex_history_arhiv_2011.htm";
  test::WriteFile(site / page.substr(1),
                  "<html><a href=\"2011/030111.zip\">a</a><div><div><a href=\"2011/04");
  tools::SiteServer server(site.path());
  server.Start();
  test::FakeSession fs;
  TransferLimits limits = BrowserLimits();
  limits.connectTimeoutSeconds = 2;
  limits.stallSeconds = 1;
  CurlBrowser browser(limits);
  Session s(fs.host, browser, fs.downloader, fs.session.paths);
  browser.Navigate(server.Url(page));
  WaitForBrowser(s);
  EXPECT_EQ(CollectPageLinks(s, "zip"), LineList{server.Url("/free_forex_quotes/2011/030111.zip")});

  // A page that stalls half-way fails within the stall time-out and shows no links.
  server.SetFault(page, tools::Fault::Of(tools::FaultKind::Stall));
  const auto start = Clock::now();
  browser.Navigate(server.Url(page));
  WaitForBrowser(s);
  EXPECT_TRUE(CollectPageLinks(s, "zip").empty());
  EXPECT_LT(SecondsSince(start), 10.0);
}

TEST(HostilePages, AnIndexPageCutShortOrNestedTooDeeplyEndsTheRunBeforeAnyYear) {
  test::TempDir site;
  const std::string index = "/free_forex_quotes/forex_history_arhiv.html";
  tools::SiteServer server(site.path());
  server.Start();
  for (const std::string& html : {std::string("<html><body><h2>2011</h2><a href=\"2011/030111.z"),
                                  Repeat("<div>", 50000) + "<a href=\"2011/030111.zip\">x</a>"}) {
    test::WriteFile(site / index.substr(1), html);
    test::FakeSession fs;
    fs.session.optionValues.EditURL = server.Url(index);
    CurlBrowser browser(BrowserLimits());
    Session s(fs.host, browser, fs.downloader, fs.session.paths);
    const auto start = Clock::now();
    EXPECT_THROW(DiscoverYears(s), ERunError);
    EXPECT_LT(SecondsSince(start), 5.0);
    EXPECT_TRUE(test::Snapshot(fs.session.paths.ArchiveDir).empty());
  }
}

TEST(HostilePages, AYearPageOfThousandsOfUnfetchableLinksEndsTheYearQuickly) {
  test::FakeSession fs;
  fs.session.optionValues.EditRetryLimit = "5";
  auto& links = fs.browser.pages[kPage];
  for (int i = 0; i < 20000; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "%06d.zip", i);
    links.push_back(test::DayLink(name, "2011"));
    links.push_back(test::DayLink(name, "2011"));  // each twice
  }
  links.push_back("file:///etc/2011/030111.zip");
  test::WriteFile(fs.session.paths.ArchiveDir + "2011/110104.txt", "day of 4 Jan\r\n");
  const auto before = test::Snapshot(fs.home.path());
  const auto start = Clock::now();
  EXPECT_FALSE(SyncYear(fs.session, kPage, "2011"));
  EXPECT_LT(SecondsSince(start), 10.0);
  EXPECT_EQ(fs.downloader.attempts.size(), 4u * 5u);  // four passes, each ended by the retry limit
  auto after = test::Snapshot(fs.home.path());
  after.erase("autorateloom.log");
  auto expected = before;
  expected.erase("autorateloom.log");
  EXPECT_EQ(after, expected);
}

}  // namespace
}  // namespace arl
