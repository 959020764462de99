// Killing the conversion at random moments: whatever the kill leaves behind, the next run (marker
// present: done; otherwise the cross-check, falling back to a rebuild of the whole year) must end
// with year files byte-identical to an uninterrupted run.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <random>
#include <thread>

#include "support/datetime.h"
#include "tests/convert/convert_fixture.h"
#include "tools/lib/day_data.h"

namespace arl::test {
namespace {

namespace fsys = std::filesystem;

class CrashTest : public ConvertTest {
 protected:
  CrashTest() : ConvertTest({"EURUSD", "USDJPY", "GBPUSD"}) {
    s().LatestYear = "2005";
    s().now = [] { return EncodeDate(2005, 6, 1); };
    tools::DayDataOptions o;
    o.tickers = {"EURUSD", "USDJPY", "GBPUSD"};
    o.firstMinute = 600;
    o.lastMinute = 1000;
    for (const auto& day : tools::TradingDays(2005)) {
      if (names.size() == 8) break;
      o.seed = names.size() + 1;
      names.push_back(tools::DayFileNameOf(day));
      texts.push_back(tools::MakeDayFile(day, o));
    }
  }

  // The archive holds the first `days` day files; no marker.
  void ArchiveWith(std::size_t days) {
    fsys::remove_all(YearDir());
    for (std::size_t i = 0; i < days; ++i) WriteDay(names[i], texts[i]);
  }
  void DeleteYearFiles() {
    for (const char* t : {"EURUSD", "USDJPY", "GBPUSD"}) DeleteFile(YearPath(t));
  }
  bool Rebuild() {
    DeleteYearFiles();
    if (!UpdateAll()) return false;
    SaveLines(YearDir() + "complete.arlm", {});
    return true;
  }
  // What the run does with a year whose day files are all on disk.
  void NextRun() {
    if (FileExists(YearDir() + "complete.arlm")) return;
    LineList scratch;
    if (!CrossCheckCurrencies(s(), scratch)) {
      ASSERT_TRUE(Rebuild());
    }
  }
  std::string Outputs() {
    std::string out;
    for (const char* t : {"EURUSD", "USDJPY", "GBPUSD"}) out += std::string(t) + ":" + Year(t) + "\n";
    return out;
  }
  // Runs `op` in a child killed after `delay`, then the next run in this process.
  // Returns whether the kill came before the child was done.
  bool KillDuring(const std::function<void()>& op, std::chrono::microseconds delay) {
    const pid_t child = fork();
    if (child < 0) {
      ADD_FAILURE() << "fork failed";  // and never kill(-1, ...): that would reach every process
      return false;
    }
    if (child == 0) {
      op();
      _exit(0);
    }
    std::this_thread::sleep_for(delay);
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    NextRun();
    return WIFSIGNALED(status);
  }

  std::vector<std::string> names, texts;
};

TEST_F(CrashTest, KilledAppendOrRebuildIsRepairedByTheNextRun) {
  // Uninterrupted: a year built from five days, then three new days appended by the cross-check.
  ArchiveWith(5);
  ASSERT_TRUE(Rebuild());
  const fsys::path saved = fsys::path(fs.home.path()) / "saved";
  fsys::copy(s().paths.DataDir, saved, fsys::copy_options::recursive);
  ArchiveWith(8);
  auto timed = [](const std::function<void()>& f) {
    const auto start = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start)
        .count();
  };
  const auto tookAppend = timed([this] { NextRun(); });
  const std::string expected = Outputs();
  ASSERT_TRUE(FileExists(YearDir() + "complete.arlm"));
  DeleteFile(YearDir() + "complete.arlm");
  const auto tookRebuild = timed([this] { Rebuild(); });
  ASSERT_EQ(Outputs(), expected) << "a rebuild gives what the append gave";

  std::mt19937 rnd(42);
  int killed = 0;
  for (int round = 0; round < 36; ++round) {
    const bool rebuild = round % 2 == 1;
    const auto delay =
        std::chrono::microseconds(rnd() % static_cast<unsigned>((rebuild ? tookRebuild : tookAppend) + 1));
    SCOPED_TRACE(std::string(rebuild ? "rebuild" : "append") + " killed after " +
                 std::to_string(delay.count()) + " us");
    fsys::remove_all(s().paths.DataDir);
    fsys::copy(saved, s().paths.DataDir, fsys::copy_options::recursive);
    ArchiveWith(8);
    if (rebuild) {
      killed += KillDuring([this] { Rebuild(); }, delay);
    } else {
      killed += KillDuring(
          [this] {
            LineList scratch;
            CrossCheckCurrencies(s(), scratch);
          },
          delay);
    }
    ASSERT_EQ(Outputs(), expected);
  }
  EXPECT_GE(killed, 9) << "too few kills landed before the end to mean anything";
}

}  // namespace
}  // namespace arl::test
