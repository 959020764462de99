// Tickers of the currency list that the archive does not have: each is a failure of its own, told
// only when something was converted at all, and never one whose lines a conversion met.
#include "run/missing_tickers.h"

#include <gtest/gtest.h>

#include "tests/common/fake_host.h"

namespace arl::test {
namespace {

TEST(MissingTickers, OnlyTickersWithoutYearFilesOrLinesFailAndOnlyOnceSomethingWasConverted) {
  FakeSession fs({"EURUSD", "GBPXXX", "USDJPY", "a/b"});
  Session& s = fs.session;
  // Nothing converted yet (every year failed, say): nothing can be told about any ticker.
  ReportMissingTickers(s);
  EXPECT_TRUE(fs.host.logged.empty());
  EXPECT_FALSE(s.outcome.TickerHasFailed("GBPXXX"));
  EXPECT_TRUE(s.outcome.Failed()) << "a ticker that cannot name a folder fails whatever else";

  s.outcome.Reset();
  WriteFile(s.paths.DataDir + "EURUSD/1min/1min_2011.txt", "2011/01/02,18:00:00,1,2,3,4\r\n");
  s.outcome.TickerSeen("USDJPY");  // its lines were met, though its year failed to be written
  ReportMissingTickers(s);
  EXPECT_EQ(fs.host.logged, std::vector<std::string>{TickerNotFoundMessage("GBPXXX")});
  EXPECT_TRUE(s.outcome.TickerHasFailed("GBPXXX"));
  EXPECT_FALSE(s.outcome.TickerHasFailed("USDJPY"));
  EXPECT_FALSE(s.outcome.TickerHasFailed("EURUSD"));
}

}  // namespace
}  // namespace arl::test
