// Whatever moment a run is stopped at, by SIGKILL or by a confirmed cancel, nothing on disk is lost
// or left torn, and the following runs end with exactly the files of an uninterrupted run.
// ARL_CRASH_SEED and ARL_CRASH_KILLS override the seed and the number of stops for longer drills.
#include <gtest/gtest.h>

#include <iostream>
#include <random>

#include "tests/run/crash_fixture.h"
#include "tools/lib/fake_site.h"
#include "tools/lib/site_server.h"

namespace arl::test {
namespace {

using namespace crash;

constexpr std::uint64_t kDefaultSeed = 20261208;

// Three years of three trading days (two in the newest), five tickers and whole days of bars:
// about 10 MB per home, so that every phase of a run lasts long enough to be hit.
tools::FakeSiteOptions DrillSite() {
  tools::FakeSiteOptions o;
  o.seed = 23;
  o.firstYear = 2009;
  o.lastYear = 2011;
  o.daysPerYear = 3;
  o.newestDays = 2;
  o.tickers = 5;
  o.firstMinute = 0;
  o.lastMinute = 1439;
  return o;
}

struct ServedDrillSite {
  ServedDrillSite() : site(tools::FakeSite::Generate(dir.path() + "site", DrillSite())), server(site.Dir()) {
    server.Start();
    for (int year = site.Options().firstYear; year <= site.NewestYear(); ++year)
      SlowDown(site.PublishedDays(year));
  }
  std::string IndexUrl() const { return server.Url(tools::FakeSite::kIndexPath); }
  void Grow(int days) { SlowDown(site.Grow(days)); }
  // Archives trickle in, so that kills land inside transfers too.
  void SlowDown(const std::vector<tools::Ymd>& days) {
    tools::Fault slow = tools::Fault::Of(tools::FaultKind::Slow);
    slow.trickleMs = 4;
    slow.trickleBytes = 16 << 10;
    for (const auto& day : days) server.SetFault(tools::FakeSite::ArchivePath(day), slow);
  }
  TempDir dir;
  tools::FakeSite site;
  tools::SiteServer server;
};

struct Reference {
  Tree tree;
  double seconds = 0;
};

// One uninterrupted run on a fresh home.
Reference RunReference(const ServedDrillSite& served, const TempDir& base, const std::string& name) {
  const std::string home = base / (name + "/");
  WriteHome(home, served.IndexUrl(), served.site.DayOptions().tickers);
  CliRun run(home);
  const int status = run.Wait();
  Reference ref;
  ref.seconds = run.Seconds();
  EXPECT_EQ(DescribeStatus(status), "exit 0") << run.Err();
  ref.tree = ReadHome(home);
  // A drill against an empty reference would prove nothing.
  const std::string newest = std::to_string(served.site.NewestYear());
  for (const auto& ticker : served.site.DayOptions().tickers) {
    EXPECT_TRUE(ref.tree.count("HistoricalData/" + ticker + "/1min/1min_Merge.txt")) << ticker;
    EXPECT_TRUE(ref.tree.count("HistoricalData/" + ticker + "/1day/1day_" + newest + ".txt")) << ticker;
  }
  EXPECT_TRUE(
      ref.tree.count("OriginalArchive/" + std::to_string(served.site.NewestYear()) + "/complete.arlm"));
  return ref;
}

// When to stop a run: `delayMs` after its start, or `delayMs` after `trigger` shows in its log.
struct StopPlan {
  int delayMs = 0;
  std::string trigger;
};

// Messages that open the short phases (extraction, conversion, cross-check, merge), which plain
// delays would seldom hit.
const std::vector<std::string> kTriggers = {"DL OK.",   "リネーム",      "確認しました", "チェック&追記 OK.",
                                            "通貨間",   "行分",          "を作成します", "の作成OK",
                                            "と被った", "以降の行を追記"};

// The bars have no log line until every ticker's are done: their stops come a little after the
// run's first bar file is written.
constexpr char kBarsTrigger[] = "(first bar file)";

// A third of the stops at a random moment, a third after a message, a third in the bars.
StopPlan DrawPlan(std::mt19937_64& rng, double referenceSeconds) {
  StopPlan plan;
  switch (std::uniform_int_distribution<int>(0, 2)(rng)) {
    case 0:
      plan.delayMs = std::uniform_int_distribution<int>(0, static_cast<int>(referenceSeconds * 1000))(rng);
      break;
    case 1:
      plan.trigger = kTriggers[std::uniform_int_distribution<std::size_t>(0, kTriggers.size() - 1)(rng)];
      plan.delayMs = std::uniform_int_distribution<int>(0, 25)(rng);
      break;
    default:
      plan.trigger = kBarsTrigger;
      plan.delayMs = std::uniform_int_distribution<int>(0, 40)(rng);
  }
  return plan;
}

struct Outcome {
  bool stopped = false;  // false: the run ended before its stop came
  int status = 0;
  std::string phase;
  std::string log, err;
};

Outcome RunAndStop(const std::string& home, const StopPlan& plan, int sig) {
  const fs::file_time_type started = fs::file_time_type::clock::now();
  CliRun run(home);
  Outcome o;
  std::optional<Clock::time_point> stopAt;
  if (plan.trigger.empty()) stopAt = Clock::now() + std::chrono::milliseconds(plan.delayMs);
  const auto triggered = [&] {
    return plan.trigger == kBarsTrigger ? BarFileWrittenSince(home, started)
                                        : run.Log().find(plan.trigger) != std::string::npos;
  };
  const auto giveUp = Clock::now() + std::chrono::seconds(120);
  while (!run.Ended() && Clock::now() < giveUp) {
    if (!stopAt && triggered()) {
      stopAt = Clock::now() + std::chrono::milliseconds(plan.delayMs);
    }
    if (stopAt && Clock::now() >= *stopAt) {
      o.stopped = true;
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  if (o.stopped) {
    // A cancel logs its own lines, so its phase is read before it; a kill's right after it.
    if (sig != SIGKILL) o.phase = PhaseOf(run.Log());
    run.Signal(sig);
  }
  o.status = run.Wait();
  o.log = run.Log();
  if (o.stopped && sig == SIGKILL) o.phase = PhaseOf(o.log);
  // After a bar file, the conversion's last lines stay the log's last until the bars are done.
  if (o.stopped && plan.trigger == kBarsTrigger && o.phase == "conversion") o.phase = "bars";
  o.err = run.Err();
  // A stop that came as the run was ending finds nothing left to stop.
  if (WIFEXITED(o.status) && WEXITSTATUS(o.status) == 0) o.stopped = false;
  return o;
}

// How a stopped run may end. A kill ends it by the signal. A cancel ends it with 130; before the
// handlers are in place (nothing logged yet), or after they are gone again (the closing line
// logged), the signal's default action ends it.
std::string JudgeStopped(const Outcome& o, int sig) {
  if (sig == SIGKILL)
    return WIFSIGNALED(o.status) && WTERMSIG(o.status) == SIGKILL ? "" : DescribeStatus(o.status);
  if (WIFEXITED(o.status) && WEXITSTATUS(o.status) == 130) return "";
  if (WIFSIGNALED(o.status) && WTERMSIG(o.status) == sig) {
    if (o.log.empty() || o.log.ends_with("処理完了\r\n")) return "";
  }
  return DescribeStatus(o.status) + "\n" + o.err;
}

// What a drill did, printed when it ends, also when it ends early on a failure.
struct Tally {
  Tally(const char* what, std::uint64_t seed) : what(what), seed(seed) {}
  const char* what;
  std::uint64_t seed;
  int stops = 0;
  int endedFirst = 0;
  int homes = 0;
  std::map<std::string, int> phases;

  ~Tally() {
    std::cout << what << ": ARL_CRASH_SEED=" << seed << ", " << stops << " stops over " << homes << " homes, "
              << endedFirst << " runs ended before their stop; phases hit:";
    for (const auto& [phase, n] : phases) std::cout << " " << phase << " " << n << ",";
    std::cout << std::endl;
  }
};

// Leftover temporaries of every finished home, by the stops that led to them.
struct LeftoverLog {
  std::string text;
  void Check(const Tree& expected, const std::string& home, const std::string& history) {
    for (const auto& path : Leftovers(expected, ReadHome(home)))
      text += path + "  (stops: " + history + ")\n";
  }
  ~LeftoverLog() {
    if (!text.empty()) ADD_FAILURE() << "temporary files left behind for good:\n" << text;
  }
};

// Finishes a home with one plain run, then checks it against the reference, twice: a further run
// must leave it as it is.
void FinishAndCompare(const std::string& home, const Tree& expected, const std::string& history,
                      LeftoverLog& leftovers) {
  for (int pass = 0; pass < 2; ++pass) {
    CliRun run(home);
    const int status = run.Wait();
    ASSERT_EQ(DescribeStatus(status), "exit 0") << run.Err() << "\nstops: " << history;
    const std::string diff = Differences(expected, ReadHome(home));
    ASSERT_EQ(diff, "") << (pass == 0 ? "after the finishing run" : "after a further run")
                        << "; stops: " << history;
  }
  leftovers.Check(expected, home, history);
}

// Stops runs with `sig` on a series of fresh homes: each home gets runs until one ends by itself,
// is compared with the reference and replaced by a new one; the last home is finished at the end.
void Drill(int sig, std::uint64_t defaultStops, const char* what) {
  const std::uint64_t seed = EnvNumber("ARL_CRASH_SEED", kDefaultSeed);
  const auto stops = static_cast<int>(EnvNumber("ARL_CRASH_KILLS", defaultStops));
  std::mt19937_64 rng(seed + static_cast<std::uint64_t>(sig));
  ServedDrillSite served;
  TempDir base;
  const Reference ref = RunReference(served, base, "reference");
  ASSERT_FALSE(::testing::Test::HasFailure());

  Tally tally(what, seed);
  LeftoverLog leftovers;
  std::string home, history;
  auto newHome = [&] {
    if (!home.empty()) fs::remove_all(home);
    home = base / ("home" + std::to_string(++tally.homes) + "/");
    WriteHome(home, served.IndexUrl(), served.site.DayOptions().tickers);
    history.clear();
  };
  newHome();
  while (tally.stops < stops) {
    const StopPlan plan = DrawPlan(rng, ref.seconds);
    const Outcome o = RunAndStop(home, plan, sig);
    if (o.stopped) {
      ++tally.stops;
      ++tally.phases[o.phase];
      history +=
          o.phase +
          (plan.trigger.empty() ? " at " + std::to_string(plan.delayMs) + " ms" : " after " + plan.trigger) +
          "; ";
      const std::string wrong = JudgeStopped(o, sig);
      ASSERT_EQ(wrong, "") << "stopped run " << tally.stops << " ended badly; stops: " << history;
      continue;
    }
    ++tally.endedFirst;
    ASSERT_EQ(DescribeStatus(o.status), "exit 0") << o.err << "\nstops: " << history;
    const std::string diff = Differences(ref.tree, ReadHome(home));
    ASSERT_EQ(diff, "") << "home " << tally.homes << " after its stops: " << history;
    leftovers.Check(ref.tree, home, history);
    newHome();
  }
  FinishAndCompare(home, ref.tree, history, leftovers);
}

TEST(CrashAnywhere, KilledRunsResumeToTheFilesOfAnUninterruptedRun) { Drill(SIGKILL, 32, "SIGKILL drill"); }

TEST(CrashAnywhere, CancelledRunsResumeToTheFilesOfAnUninterruptedRun) { Drill(SIGINT, 20, "SIGINT drill"); }

// The site grows by a day or two before each round of stopped runs, into new years; the reference is
// one uninterrupted run on the grown site. Each round stops a few runs, then lets one finish.
TEST(CrashAnywhere, KilledRunsOnAGrowingSiteEndLikeOneRunOnTheGrownSite) {
  const std::uint64_t seed = EnvNumber("ARL_CRASH_SEED", kDefaultSeed);
  const auto stops = static_cast<int>(EnvNumber("ARL_CRASH_KILLS", 12));
  constexpr int kStopsPerRound = 3;
  std::mt19937_64 rng(seed + 100);
  ServedDrillSite served;
  TempDir base;
  const std::string home = base / "home/";
  WriteHome(home, served.IndexUrl(), served.site.DayOptions().tickers);
  // A complete start and one plain day's growth, which also tells how long such a run lasts.
  double dayRunSeconds = 0;
  for (int i = 0; i < 2; ++i) {
    if (i == 1) served.Grow(1);
    CliRun run(home);
    ASSERT_EQ(DescribeStatus(run.Wait()), "exit 0") << run.Err();
    dayRunSeconds = run.Seconds();
  }
  Tally tally("SIGKILL drill on a growing site", seed);
  LeftoverLog leftovers;
  tally.homes = 1;
  std::string history;
  for (int round = 0; tally.stops < stops && round < stops; ++round) {
    // Now and then two days at once, so that a new year can open before the old one's last day
    // was fetched.
    const int days = std::uniform_int_distribution<int>(1, 3)(rng) == 1 ? 2 : 1;
    served.Grow(days);
    history += "grown by " + std::to_string(days) + "; ";
    for (int stopped = 0; stopped < kStopsPerRound;) {
      const Outcome o = RunAndStop(home, DrawPlan(rng, dayRunSeconds), SIGKILL);
      if (!o.stopped) {
        ++tally.endedFirst;
        ASSERT_EQ(DescribeStatus(o.status), "exit 0") << o.err << "\nhistory: " << history;
        break;
      }
      ++stopped;
      ++tally.stops;
      ++tally.phases[o.phase];
      history += o.phase + "; ";
      ASSERT_EQ(JudgeStopped(o, SIGKILL), "") << history;
    }
    CliRun finish(home);
    ASSERT_EQ(DescribeStatus(finish.Wait()), "exit 0") << finish.Err() << "\nhistory: " << history;
  }
  const Reference ref = RunReference(served, base, "reference");
  ASSERT_FALSE(::testing::Test::HasFailure());
  FinishAndCompare(home, ref.tree, history, leftovers);
  std::cout << "grown to the newest year " << served.site.NewestYear() << "\n";
}

// The same moment every time: the first archive answers its headers and then nothing, and the run
// is killed while it waits for the body. What the download had begun must not outlive the next run.
TEST(CrashAnywhere, KillInsideATransferLeavesNothingBehindAfterTheNextRun) {
  ServedDrillSite served;
  TempDir base;
  const Reference ref = RunReference(served, base, "reference");
  ASSERT_FALSE(::testing::Test::HasFailure());
  std::vector<std::string> archives;
  for (int year = served.site.Options().firstYear; year <= served.site.NewestYear(); ++year) {
    for (const auto& day : served.site.PublishedDays(year))
      archives.push_back(tools::FakeSite::ArchivePath(day));
  }
  served.server.ClearFaults();
  auto requests = [&] {
    int n = 0;
    for (const auto& path : archives) n += served.server.Requests(path);
    return n;
  };
  const int before = requests();
  for (const auto& path : archives)
    served.server.SetFault(path, tools::Fault::Of(tools::FaultKind::Stall, 1));

  const std::string home = base / "home/";
  WriteHome(home, served.IndexUrl(), served.site.DayOptions().tickers);
  {
    CliRun run(home);
    const auto deadline = Clock::now() + std::chrono::seconds(30);
    while (requests() == before && !run.Ended() && Clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ASSERT_GT(requests(), before) << "no archive was asked for";
    std::this_thread::sleep_for(std::chrono::milliseconds(300));  // the headers are in, the body never comes
    run.Signal(SIGKILL);
    run.Wait();
  }
  served.server.ClearFaults();
  CliRun finish(home);
  ASSERT_EQ(DescribeStatus(finish.Wait()), "exit 0") << finish.Err();
  const Tree tree = ReadHome(home);
  EXPECT_EQ(Differences(ref.tree, tree), "");
  EXPECT_EQ(Leftovers(ref.tree, tree), std::vector<std::string>{});
}

}  // namespace
}  // namespace arl::test
