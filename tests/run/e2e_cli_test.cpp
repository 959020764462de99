// The headless front end as a process against a loopback site, where its exit status matters.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "tests/run/e2e_fixture.h"

extern char** environ;

namespace arl::test {
namespace {

struct CliOutcome {
  int status = -1;
  std::string out, err, log;
};

// A home with the site's currency list and settings, run once by autorateloom-cli.
CliOutcome RunCli(const TempDir& home, const ServedSite& served, bool merge) {
  std::string list;
  for (const auto& ticker : served.site.DayOptions().tickers) list += ticker + "\r\n";
  WriteFile(home / "CurrencyList.txt", list);
  WriteFile(home / "autorateloom.ini",
            "[Form]\r\nEditURL=" + served.IndexUrl() + "\r\nCheckBox1=" + (merge ? "1" : "0") + "\r\n");
  const std::string exe = BinDir() + "autorateloom-cli";
  std::vector<std::string> args{exe, "--home", home.path()};
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  const std::string outPath = home / "stdout.txt", errPath = home / "stderr.txt";
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  pid_t pid = 0;
  const int rc = posix_spawn(&pid, exe.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  CliOutcome o;
  if (rc != 0) {
    ADD_FAILURE() << "cannot start " << exe;
    return o;
  }
  int status = 0;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (waitpid(pid, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      ADD_FAILURE() << "the front end did not end within 60 s";
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  if (WIFEXITED(status)) o.status = WEXITSTATUS(status);
  o.out = ReadFile(outPath);
  o.err = ReadFile(errPath);
  o.log = ReadFile(home / "autorateloom.log");
  return o;
}

TEST(E2eCli, AFirstSyncWithTheMergeEndsWithStatusZeroAndEveryFileInPlace) {
  ServedSite served(SmallSite());
  TempDir home;
  const CliOutcome o = RunCli(home, served, true);
  EXPECT_EQ(o.status, 0) << o.err;
  EXPECT_EQ(TreeDifferences(ExpectedOutputs(served.site, true), ReadOutputs(home.path())), "");
  EXPECT_NE(o.log.find("全てのMerge.txtの作成完了\r\n処理完了\r\n"), std::string::npos);
}

TEST(E2eCli, AnUnreachableIndexPageEndsWithStatusOneAfterTheClosingSteps) {
  ServedSite served(SmallSite());
  served.server.SetFault(tools::FakeSite::kIndexPath, tools::Fault::Of(tools::FaultKind::NotFound));
  TempDir home;
  const CliOutcome o = RunCli(home, served, true);
  EXPECT_EQ(o.status, 1);
  EXPECT_NE(o.err.find("no strings now"), std::string::npos) << o.err;
  EXPECT_NE(o.log.find("処理完了\r\n"), std::string::npos);
  EXPECT_TRUE(std::filesystem::is_empty(home / "OriginalArchive"));
}

}  // namespace
}  // namespace arl::test
