#include "acquire/year_discovery.h"

#include <gtest/gtest.h>

#include "acquire/link_address.h"
#include "acquire/year_sync.h"
#include "support/errors.h"
#include "support/files.h"
#include "support/regexp.h"
#include "tests/acquire/day_archives.h"

namespace arl {
namespace {

// Ports of four digits and more sit in every address here: none may be read as a year.
const std::string kIndex = "http://quotes.test:41234/free_forex_quotes/forex_history_arhiv.html";

std::string YearPage(const std::string& year) {
  return std::string(test::kHost) + "/free_forex_quotes/forex_history_arhiv_" + year + ".html";
}

class DiscoverYearsTest : public ::testing::Test {
 protected:
  DiscoverYearsTest() { fs.session.optionValues.EditURL = kIndex; }

  // Yearly links in the given order, then the day links of the newest year, which is kept complete on
  // disk so that its visit fetches nothing.
  void IndexPage(const std::vector<std::string>& yearly, const std::string& newest) {
    for (const auto& y : yearly)
      fs.browser.pages[kIndex].push_back(y.empty() ? YearPage("old") : YearPage(y));
    fs.browser.pages[kIndex].push_back(test::DayLink("030112.zip", newest));
    test::WriteFile(Dir(newest) + "/120103.txt", "");
    Mark(newest);
  }
  std::string Dir(const std::string& year) { return s.paths.ArchiveDir + year; }
  void Mark(const std::string& year) { test::WriteFile(Dir(year) + "/" + kYearMarkerName, ""); }
  std::vector<std::string> Visited() {
    return {fs.browser.navigations.begin() + 1, fs.browser.navigations.end()};
  }
  int VisitsOf(const std::string& year, const std::string& page) {
    return test::CountLogged(fs.host, year + "年のzipファイルをチェックします (" + page + "にアクセス)");
  }
  test::FakeSession fs;
  Session& s = fs.session;
};

TEST_F(DiscoverYearsTest, VisitsTheYearlyPagesInPageOrderThenTheIndexYears) {
  std::vector<std::string> yearly, expected;
  for (int y = 2011; y >= 2001; --y) yearly.push_back(std::to_string(y));
  IndexPage(yearly, "2012");
  DiscoverYears(s);
  EXPECT_EQ(s.LatestYear, "2012");
  for (const auto& y : yearly) expected.push_back(YearPage(y));
  expected.push_back(kIndex);
  EXPECT_EQ(Visited(), expected);
  EXPECT_TRUE(DirectoryExists(Dir("2001")));
  EXPECT_EQ(fs.host.statuses.front(), kIndex + " にアクセス");
}

TEST_F(DiscoverYearsTest, MarkedYearsAreSkippedExceptTheLatestAndTheYearBefore) {
  for (int y = 2001; y <= 2011; ++y) Mark(std::to_string(y));
  IndexPage({"2011", "2010", "2009"}, "2012");
  fs.browser.pages[YearPage("2011")] = {test::DayLink("030111.zip", "2011")};
  test::WriteFile(Dir("2011") + "/110103.txt", "");
  DiscoverYears(s);
  EXPECT_EQ(Visited(), (std::vector<std::string>{YearPage("2011"), kIndex}));
  EXPECT_EQ(test::CountLogged(fs.host, "DLしていないZipファイルはありません"), 2);
}

TEST_F(DiscoverYearsTest, TheYearBeforeTheLatestFetchesDaysPublishedAfterItsMarker) {
  Mark("2011");
  IndexPage({"2011", "2010"}, "2012");
  Mark("2010");
  test::PublishDay(fs, YearPage("2011"), {2011, 12, 30});
  DiscoverYears(s);
  EXPECT_TRUE(FileExists(Dir("2011") + "/111230.txt"));
  EXPECT_TRUE(FileExists(Dir("2011") + "/" + kYearMarkerName));
}

TEST_F(DiscoverYearsTest, YearsAfterTheNewestYearlyPageAreLookedForOnTheIndex) {
  IndexPage({"2011", "", "2010"}, "2013");  // the middle link has no four digits
  DiscoverYears(s);
  EXPECT_EQ(s.LatestYear, "2013");
  EXPECT_EQ(Visited(), (std::vector<std::string>{YearPage("2011"), YearPage("2010"), kIndex, kIndex}));
  EXPECT_EQ(VisitsOf("2010", YearPage("2010")), 1);
  EXPECT_EQ(VisitsOf("2012", kIndex), 1);
  EXPECT_EQ(VisitsOf("2013", kIndex), 1);
}

TEST_F(DiscoverYearsTest, AnIndexThatFailedOrHasNoArchiveLinksEndsTheRunBeforeAnyYear) {
  auto errorOf = [this] {
    try {
      DiscoverYears(s);
    } catch (const ERunError& e) {
      return std::string(e.what());
    }
    return std::string("no error");
  };
  const std::string layout = "がありません (サイトのレイアウトが変わった可能性があります)";
  fs.browser.pages[kIndex] = {YearPage("2011")};
  EXPECT_EQ(errorOf(), "インデックスページ " + kIndex + " に日ごとのアーカイブへのリンク" + layout);
  fs.browser.pages[kIndex] = {test::DayLink("030112.zip", "2012")};
  EXPECT_EQ(errorOf(), "インデックスページ " + kIndex + " に年ごとのページへのリンク" + layout);
  fs.browser.failing[kIndex] = "Couldn't connect to server";
  EXPECT_EQ(errorOf(),
            "インデックスページ " + kIndex + " を読み込めませんでした (Couldn't connect to server)");
  EXPECT_FALSE(DirectoryExists(Dir("2011")));
  EXPECT_FALSE(DirectoryExists(Dir("2012")));
  EXPECT_EQ(fs.browser.navigations.size(), 3u);
}

TEST_F(DiscoverYearsTest, ACancelStopsBeforeTheNextYear) {
  IndexPage({"2011", "2010"}, "2012");
  test::OnEveryCheck(s, [this](int) {
    if (fs.browser.navigations.size() >= 2) s.cancel.Cancel();
  });
  DiscoverYears(s);
  EXPECT_EQ(Visited(), std::vector<std::string>{YearPage("2011")});
  EXPECT_FALSE(DirectoryExists(Dir("2010")));
}

TEST(AddressPathTest, KeepsOnlyWhatFollowsTheHostAndPort) {
  EXPECT_EQ(AddressPath("http://quotes.test:41234/free_forex_quotes/2012/030112.zip"),
            "/free_forex_quotes/2012/030112.zip");
  EXPECT_EQ(AddressPath("https://user:2019@[::1]:8080/a/2010/?q=1#x"), "/a/2010/?q=1#x");
  EXPECT_EQ(AddressPath("http://host:8080"), "");
  EXPECT_EQ(AddressPath("//host:2011/b/2012/"), "/b/2012/");
  EXPECT_EQ(AddressPath("/2012/030112.zip"), "/2012/030112.zip");
  EXPECT_EQ(AddressPath("about:blank"), "blank");
}

}  // namespace
}  // namespace arl
