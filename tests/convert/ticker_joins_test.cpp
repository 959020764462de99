// TickerJoins: a ticker's lines reach its year file in day-file order, whichever thread joins the
// waiting ones, each line once; a day's first line cuts the year file where it overlaps it.
#include "convert/ticker_joins.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

#include "tests/common/temp_dir.h"

namespace arl {
namespace {

class TickerJoinsTest : public ::testing::Test {
 protected:
  // `count` tickers T0, T1, ... with year files in a fresh folder.
  void Make(std::size_t count) {
    runs.clear();
    runs.resize(count);
    logs.clear();
    for (std::size_t i = 0; i < count; ++i) {
      runs[i].ticker = "T" + std::to_string(i);
      runs[i].out = std::make_unique<YearOutput>(Path(i), YearLineShape{}, false);
      runs[i].logs = &logs;
    }
  }
  std::string Path(std::size_t i) const { return dir / ("T" + std::to_string(i) + ".txt"); }
  std::string Committed(std::size_t i) {
    runs[i].out->Commit();
    return test::ReadFile(Path(i));
  }
  // A line of the 2005/01/03 at 18:mm, and a ticker's lines of a piece.
  static std::string Key(int minute) {
    return "2005/01/03,18:" + std::string(minute < 10 ? "0" : "") + std::to_string(minute) + ":00";
  }
  static std::string Line(int minute, const std::string& prices = "1,2,3,4") {
    return Key(minute) + "," + prices + "\r\n";
  }
  static void Add(TickerLines& t, int minute, const std::string& prices = "1,2,3,4") {
    if (!t.touched) t.firstKey = Key(minute);
    t.touched = true;
    t.starts.push_back(t.bytes.size());
    AppendYearLine(t.bytes, "", Key(minute), prices);
  }

  test::TempDir dir;
  std::vector<TickerRun> runs;
  std::vector<std::string> logs;
};

TEST_F(TickerJoinsTest, WaitingPartsGoInBeforeTheNextDayAndOnlyOnce) {
  Make(2);
  TickerJoins joins(runs);
  const DayRef day0{0, "050103.txt", 0}, day1{1, "050104.txt", 0};
  TickerLines front0;
  Add(front0, 0);
  joins.Join(0, front0, day0);
  // Two parts behind the front part of day 0, in file order; T1 has lines only in the first.
  std::vector<TickerLines> back1(2), back2(2);
  Add(back1[0], 1);
  Add(back1[1], 1);
  Add(back2[0], 2);
  joins.SetPending({{&back1, DayRef{0, day0.name, 1}}, {&back2, DayRef{0, day0.name, 2}}});
  // Day 1 reaches T0 through a join and T1 through a loan of its year file's bytes.
  TickerLines next0, next1;
  Add(next0, 3);
  joins.Join(0, next0, day1);
  joins.Lend(1, next1, day1);
  Add(next1, 3);
  joins.Join(1, next1, day1);
  joins.JoinPending();
  joins.JoinPendingFromBack();
  EXPECT_EQ(Committed(0), Line(0) + Line(1) + Line(2) + Line(3));
  EXPECT_EQ(Committed(1), Line(1) + Line(3));
  EXPECT_TRUE(logs.empty());
}

TEST_F(TickerJoinsTest, ADayThatOverlapsTheYearFileReplacesItFromThere) {
  test::WriteFile(Path(0), Line(0) + Line(1) + Line(2));
  Make(1);
  TickerJoins joins(runs);
  TickerLines day0, day1;
  day0.firstIndex = 4;
  Add(day0, 1, "5,5,5,5");
  Add(day0, 2, "5,5,5,5");
  joins.Join(0, day0, DayRef{0, "050103.txt", 10});
  ASSERT_EQ(logs.size(), 1u);
  EXPECT_EQ(logs[0], "050103.txt 14行目にてT0の" + Key(1) + "分が\r\n" + Key(1) +
                         ",1,2,3,4\r\nと被ったので、そこから再生成します");
  Add(day1, 2, "6,6,6,6");  // a later day is looked for among the lines written last
  joins.Join(0, day1, DayRef{1, "050104.txt", 0});
  EXPECT_EQ(logs.size(), 2u);
  EXPECT_EQ(Committed(0), Line(0) + Line(1, "5,5,5,5") + Line(2, "6,6,6,6"));
}

// The run's thread joins the next day's lines while the helper sweeps the waiting ones from the
// other end: each ticker gets its waiting line once, ahead of the next day's.
TEST_F(TickerJoinsTest, TwoThreadsJoinEachWaitingLineOnceAndInOrder) {
  constexpr std::size_t kTickers = 16;
  for (int round = 0; round < 20; ++round) {
    Make(kTickers);
    TickerJoins joins(runs);
    std::vector<TickerLines> back(kTickers), next(kTickers);
    for (std::size_t i = 0; i < kTickers; ++i) {
      Add(back[i], 1);
      Add(next[i], 2);
    }
    joins.SetPending({{&back, DayRef{0, "050103.txt", 0}}});
    std::thread helper([&] { joins.JoinPendingFromBack(); });
    for (std::size_t i = 0; i < kTickers; ++i) joins.Join(i, next[i], DayRef{1, "050104.txt", 0});
    helper.join();
    for (std::size_t i = 0; i < kTickers; ++i) {
      ASSERT_EQ(Committed(i), Line(1) + Line(2)) << i;
      std::filesystem::remove(Path(i));
    }
  }
}

}  // namespace
}  // namespace arl
