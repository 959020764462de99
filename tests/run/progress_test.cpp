// The run's progress: what the gate lets through and what it adds (rate, time left), the text the
// front ends show, and the counts of a whole run against a loopback site adding up to what it did.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "tests/run/e2e_fixture.h"

namespace arl::test {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

TEST(ProgressGate, PassesStartsAndEndsAndAtMostOneStepPerInterval) {
  FakeEvents events;
  ProgressGate gate(events);
  Clock::time_point now{};
  gate.clock = [&] { return now; };
  gate.SetYear(3, 12, "2010");
  gate.Report(ProgressPhase::Download, 0, 10, "040110.zip");
  now += 50ms;
  gate.Report(ProgressPhase::Download, 1, 10, "050110.zip", 512 << 10);  // held back
  gate.Flush();                                                          // its turn has not come
  now += 60ms;
  gate.Flush();
  ASSERT_EQ(events.progress.size(), 2u);
  EXPECT_EQ(ProgressText(events.progress[1]), "2010年(3/12) ダウンロード 1/10 件") << "no pace yet";

  now = Clock::time_point{} + 2s;
  gate.Report(ProgressPhase::Download, 5, 10, "090110.zip", 2 << 20);
  EXPECT_EQ(ProgressText(events.progress.back()), "2010年(3/12) ダウンロード 5/10 件 1.0 MB/s 残り約 5秒");

  now += 10ms;
  gate.Report(ProgressPhase::Download, 10, 10, {}, 4 << 20);  // the end passes at once
  gate.Report(ProgressPhase::Merge, 0, 2, "EURUSD");          // so does the next phase
  ASSERT_EQ(events.progress.size(), 5u);
  EXPECT_EQ(ProgressText(events.progress[3]), "2010年(3/12) ダウンロード 10/10 件 2.0 MB/s");
  EXPECT_EQ(ProgressText(events.progress[4]), "マージ 0/2 通貨") << "the merge is of no one year";
}

TEST(ProgressText, TimeLeftIsRoundedUp) {
  EXPECT_EQ(ApproxDuration(0.2), "約 5秒");
  EXPECT_EQ(ApproxDuration(41), "約 45秒");
  EXPECT_EQ(ApproxDuration(61), "約 2分");
  EXPECT_EQ(ApproxDuration(3600), "約 1時間");
  EXPECT_EQ(ApproxDuration(4801), "約 1時間21分");
}

int SummaryArchives(const std::vector<std::string>& log) {
  const std::string head = "ダウンロードしたアーカイブ : ";
  for (const auto& line : log)
    if (line.starts_with(head)) return std::stoi(line.substr(head.size()));
  return -1;
}

// A whole run with a clock that lets every report through: each phase's counts go up to its end.
TEST(ProgressOfARun, CountsAddUpToWhatTheRunDid) {
  ServedSite served(SmallSite());
  E2eHome home(served, true);
  Clock::time_point now{};
  home.session.progress.clock = [&] { return now += 150ms; };
  ASSERT_EQ(home.Run(), std::nullopt);
  const std::vector<RunProgress>& all = home.host.progress;
  ASSERT_FALSE(all.empty());

  std::set<int> years;
  int archives = 0;
  std::map<std::string, int> convertedDays;  // year -> the last conversion's count at its end
  for (std::size_t i = 0; i < all.size(); ++i) {
    const RunProgress& p = all[i];
    EXPECT_LE(p.done, p.total);
    const bool lastOfPhase = i + 1 == all.size() || all[i + 1].phase != p.phase ||
                             all[i + 1].yearIndex != p.yearIndex || all[i + 1].total != p.total;
    if (!lastOfPhase) {
      EXPECT_LE(p.done, all[i + 1].done) << "step " << i;
    }
    if (p.yearIndex > 0) {
      EXPECT_EQ(p.yearCount, 3);
      years.insert(p.yearIndex);
    }
    if (!lastOfPhase) continue;
    if (p.phase == ProgressPhase::Download) {
      EXPECT_EQ(p.done, p.total);
      archives += p.done;
    }
    if (p.phase == ProgressPhase::Convert) convertedDays[p.year] = p.done == p.total ? p.done : -1;
  }
  EXPECT_EQ(years, (std::set<int>{1, 2, 3}));
  EXPECT_EQ(archives, SummaryArchives(home.host.logged));
  EXPECT_EQ(all.back().phase, ProgressPhase::Merge);
  EXPECT_EQ(all.back().done, 3) << "tickers";
  ASSERT_EQ(convertedDays.size(), 3u);
  for (const auto& [year, days] : convertedDays)
    EXPECT_EQ(days, static_cast<int>(served.site.PublishedDays(std::stoi(year)).size())) << year;
}

}  // namespace
}  // namespace arl::test
