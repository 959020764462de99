// A currency list with tickers that would lead outside the data directory: the merge refuses them
// with one log line each and merges the others as usual.
#include <filesystem>

#include "support/text.h"
#include "tests/merge/merge_fixture.h"

namespace arl::test {
namespace {

TEST_F(MergeTest, RefusedTickersAreSkippedAndNothingIsWrittenOutsideTheDataDirectory) {
  const std::string all = WriteYears(2005, 2006);
  WriteFile(s.paths.AppDir + "CurrencyList.txt", "../evil\r\nEURUSD\r\na/b\r\n..\r\n");
  MergeAll(s);
  EXPECT_EQ(Merge(), all);
  EXPECT_TRUE(Completed());
  EXPECT_EQ(Count("../evil は通貨名として使えないので飛ばします"), 1);
  EXPECT_EQ(Count("a/b は通貨名として使えないので飛ばします"), 1);
  EXPECT_EQ(Count(".. は通貨名として使えないので飛ばします"), 1);
  EXPECT_TRUE(host.messageBoxes.empty());
  namespace fs = std::filesystem;
  EXPECT_FALSE(fs::exists(s.paths.AppDir + "evil"));
  EXPECT_FALSE(fs::exists(s.paths.DataDir + "a"));
  EXPECT_FALSE(fs::exists(s.paths.AppDir + "1min"));

  RebuildMerge(s, "../evil");
  EXPECT_EQ(Count("../evil は通貨名として使えないので飛ばします"), 2);
  EXPECT_FALSE(fs::exists(s.paths.AppDir + "evil"));
}

}  // namespace
}  // namespace arl::test
