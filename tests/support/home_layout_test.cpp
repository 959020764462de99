// The layout of a home is a stored format: users and earlier versions find their files by these
// names, so every path is pinned here for both folder choices.
#include "support/home_layout.h"

#include <gtest/gtest.h>

namespace arl {
namespace {

TEST(HomeLayout, NamesEveryFileOfAHome) {
  const Paths p = Paths::ForAppDir("/h");
  EXPECT_EQ(p.AppDir, "/h/");
  EXPECT_EQ(p.SettingsPath, "/h/autorateloom.ini");
  EXPECT_EQ(p.LogPath, "/h/autorateloom.log");
  EXPECT_EQ(p.LockPath, "/h/autorateloom.lock");
  EXPECT_EQ(p.CurrencyListPath, "/h/CurrencyList.txt");
  EXPECT_EQ(p.YearArchiveDir("2005"), "/h/OriginalArchive/2005/");
  EXPECT_EQ(p.DayFilePath("2005", "050103.txt"), "/h/OriginalArchive/2005/050103.txt");
  EXPECT_EQ(p.YearMarkerPath("2005"), "/h/OriginalArchive/2005/complete.arlm");

  RunOptions o;
  o.prefix = "m_";
  EXPECT_EQ(p.TickerDir("EURUSD"), "/h/HistoricalData/EURUSD/");
  EXPECT_EQ(p.CurrencyDir(o, "EURUSD"), "/h/HistoricalData/EURUSD/1min/");
  EXPECT_EQ(p.YearFilePath(o, "EURUSD", "2005"), "/h/HistoricalData/EURUSD/1min/m_2005.txt");
  EXPECT_EQ(p.MergeFilePath(o, "EURUSD"), "/h/HistoricalData/EURUSD/1min/m_Merge.txt");
  o.subFolder = false;
  EXPECT_EQ(p.CurrencyDir(o, "EURUSD"), "/h/HistoricalData/EURUSD/");
  EXPECT_EQ(p.YearFilePath(o, "EURUSD", "2005"), "/h/HistoricalData/EURUSD/m_2005.txt");
  EXPECT_EQ(p.MergeFilePath(o, "EURUSD"), "/h/HistoricalData/EURUSD/m_Merge.txt");
}

}  // namespace
}  // namespace arl
