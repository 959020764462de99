// Currency-list lines that would name a place outside the data directory are refused and skipped by
// the update and the cross-check; ordinary tickers and the empty line behave as before.
#include <filesystem>
#include <set>

#include "support/ticker_name.h"
#include "tests/convert/convert_fixture.h"

namespace arl::test {
namespace {

namespace fsys = std::filesystem;

TEST(TickerNameTest, SeparatorsNulAndDotNamesAreRefused) {
  for (std::string_view bad : {"..", ".", "../evil", "a/b", "/abs", "a\\b", "..\\x", "EUR/USD"})
    EXPECT_FALSE(IsSafeTicker(bad)) << bad;
  EXPECT_FALSE(IsSafeTicker(std::string_view("EUR\0USD", 7)));
  for (std::string_view good : {"EURUSD", "", "...", "..a", "a..", "EUR.USD", "EUR-USD", "ユーロ"})
    EXPECT_TRUE(IsSafeTicker(good)) << good;
  EXPECT_EQ(UnsafeTickerMessage("a/b"), "a/b は通貨名として使えないので飛ばします");
  EXPECT_EQ(SafeTickers({"EURUSD", "..", "", "a/b", "USDJPY"}), (LineList{"EURUSD", "", "USDJPY"}));
}

class UnsafeTickerTest : public ConvertTest {
 protected:
  // Every path below the session's home, which holds the data directory.
  std::set<std::string> HomeTree() {
    std::set<std::string> paths;
    for (const auto& e : fsys::recursive_directory_iterator(fs.home.path())) paths.insert(e.path().string());
    return paths;
  }
};

TEST_F(UnsafeTickerTest, UpdateSkipsRefusedTickersAndWritesNothingOutsideTheDataDirectory) {
  SetCurrencies("EURUSD\r\n../evil\r\na/b\r\n..\r\nUSDJPY\r\n");
  WriteDay("050103.txt", Q("EURUSD", "20050103", "000100") + Q("../evil", "20050103", "000100") +
                             Q("a/b", "20050103", "000100") + Q("USDJPY", "20050103", "000100"));
  const std::set<std::string> before = HomeTree();
  ASSERT_TRUE(UpdateAll());
  EXPECT_NE(Year("EURUSD"), "<none>");
  EXPECT_NE(Year("USDJPY"), "<none>");
  for (const auto& path : HomeTree()) {
    if (before.count(path)) continue;
    EXPECT_TRUE(path.rfind(s().paths.DataDir + "EURUSD", 0) == 0 ||
                path.rfind(s().paths.DataDir + "USDJPY", 0) == 0)
        << path;
  }
  EXPECT_FALSE(fsys::exists(s().paths.DataDir + "a"));
  const auto& log = Logged();
  EXPECT_NE(std::find(log.begin(), log.end(), "../evil は通貨名として使えないので飛ばします"), log.end());
  EXPECT_NE(std::find(log.begin(), log.end(), ".. は通貨名として使えないので飛ばします"), log.end());
  EXPECT_NE(std::find(log.begin(), log.end(), "EURUSD 050103.txt～050103.txt チェック&追記 OK."), log.end());
}

TEST_F(UnsafeTickerTest, CrossCheckLooksOnlyAtSafeTickersAndSkipsBlankLines) {
  s().LatestYear = "2005";
  s().now = [] { return EncodeDate(2005, 6, 1); };
  WriteDay("050103.txt", Q("EURUSD", "20050103", "000100") + Q("EURUSD", "20050103", "000200") +
                             Q("USDJPY", "20050103", "000100") + Q("USDJPY", "20050103", "000200"));
  ASSERT_TRUE(UpdateAll());
  SetCurrencies("EURUSD\r\n..\r\nUSDJPY\r\n");
  LineList scratch;
  const std::set<std::string> before = HomeTree();
  EXPECT_TRUE(CrossCheckCurrencies(s(), scratch));
  EXPECT_TRUE(FileExists(YearDir() + "complete.arlm"));
  EXPECT_EQ(fsys::exists(fs.home.path() + "1min"), false);
  // A blank line names no ticker and blanks around a ticker are no part of it.
  DeleteFile(YearDir() + "complete.arlm");
  SetCurrencies("EURUSD \r\n\r\n\tUSDJPY\r\n");
  EXPECT_TRUE(CrossCheckCurrencies(s(), scratch));
  EXPECT_FALSE(fsys::exists(s().paths.DataDir + "EURUSD "));
}

}  // namespace
}  // namespace arl::test
