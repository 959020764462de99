// The two threads that make a conversion call's bars while it commits: a ticker is taken only once it
// is ready, whatever the threads' pace; faults come out in ticker order, exceptions out of Finish,
// and an object given up half-way stops without waiting for tickers that never become ready.
#include "convert/bar_threads.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <mutex>
#include <set>
#include <thread>

#include "support/errors.h"
#include "support/files.h"
#include "tests/common/fake_host.h"

namespace arl::test {
namespace {

const LineList kTickers = {"AUDUSD", "EURUSD", "GBPUSD", "NZDUSD", "USDJPY", "XAUUSD"};

TEST(BarThreads, TakesEachTickerOnceItIsReadyAndTellsFaultsInTickerOrder) {
  FakeSession f;
  std::atomic<std::size_t> readied{0};
  std::mutex mutex;
  std::multiset<std::string> made;
  std::vector<std::string> early;
  BarThreads threads(f.session, kTickers, [&](TickerBars& t) {
    const auto index =
        static_cast<std::size_t>(std::find(kTickers.begin(), kTickers.end(), t.ticker) - kTickers.begin());
    const std::lock_guard<std::mutex> lock(mutex);
    if (readied.load() <= index) early.push_back(t.ticker);
    made.insert(t.ticker);
    if (t.ticker == "USDJPY" || t.ticker == "EURUSD") t.fault = t.ticker + " の足を作れません\r\nline";
    if (t.ticker == "GBPUSD") {
      const std::string path = f.session.paths.DataDir + "GBPUSD_5min.txt";
      WriteFile(path + ".tmp", "bars\r\n");
      t.written.push_back(path);
    }
    EXPECT_EQ(t.changedFrom, index == 2 ? std::optional<std::int64_t>(42) : std::nullopt);
  });
  threads.Start();
  for (std::size_t i = 0; i < kTickers.size(); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(2));  // room for a thread that would not wait
    readied = i + 1;
    threads.Ready(i, i == 2 ? std::optional<std::int64_t>(42) : std::nullopt);
  }
  EXPECT_TRUE(threads.Finish());
  EXPECT_TRUE(early.empty()) << early.front();
  EXPECT_EQ(made, std::multiset<std::string>(kTickers.begin(), kTickers.end()));
  EXPECT_EQ(ReadFile(f.session.paths.DataDir + "GBPUSD_5min.txt"), "bars\r\n");
  EXPECT_FALSE(FileExists(f.session.paths.DataDir + "GBPUSD_5min.txt.tmp"));
  const std::string log = f.LogText();
  const std::size_t eur = log.find("EURUSD の足を作れません"), jpy = log.find("USDJPY の足を作れません");
  ASSERT_NE(jpy, std::string::npos);
  EXPECT_LT(eur, jpy);
}

TEST(BarThreads, AnExceptionOfTheWorkComesOutOfFinishAndTheOtherThreadGoesOn) {
  FakeSession f;
  std::mutex mutex;
  std::set<std::string> made;
  BarThreads threads(f.session, kTickers, [&](TickerBars& t) {
    if (t.ticker == "EURUSD") throw EInOutError("I/O error: cannot write " + t.ticker);
    const std::lock_guard<std::mutex> lock(mutex);
    made.insert(t.ticker);
  });
  threads.Start();
  threads.AllReady();
  EXPECT_THROW(threads.Finish(), EInOutError);
  // The thread that failed took no ticker after it; the other took all the rest.
  EXPECT_EQ(made.size(), kTickers.size() - 1);
}

TEST(BarThreads, GivenUpHalfWayItStopsWithoutWaitingForTheRest) {
  FakeSession f;
  std::atomic<int> made{0};
  {
    BarThreads threads(f.session, kTickers, [&](TickerBars&) { ++made; });
    threads.Start();
    threads.Ready(0, std::nullopt);
    while (made.load() == 0) std::this_thread::yield();
  }  // the call failed while committing: the destructor must not wait for ticker 1
  EXPECT_EQ(made.load(), 1);

  // Cancelled meanwhile: no ticker is taken after, and Finish tells it.
  BarThreads threads(f.session, kTickers, [&](TickerBars&) { ++made; });
  threads.Start();
  f.session.cancel.Cancel();
  threads.AllReady();
  EXPECT_FALSE(threads.Finish());
  EXPECT_EQ(made.load(), 1);
}

}  // namespace
}  // namespace arl::test
