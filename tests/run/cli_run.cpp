#include "tests/run/cli_run.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <filesystem>
#include <thread>

extern char** environ;

namespace arl::test {

void PrepareCliHome(const std::string& home, const ServedSite& served, bool merge,
                    const std::string& extraIni, const std::string& list) {
  std::string tickers = list;
  if (tickers.empty())
    for (const auto& ticker : served.site.DayOptions().tickers) tickers += ticker + "\r\n";
  WriteFile(home + "/CurrencyList.txt", tickers);
  WriteFile(home + "/autorateloom.ini", "[Form]\r\nEditURL=" + served.IndexUrl() +
                                            "\r\nCheckBox1=" + (merge ? "1" : "0") + "\r\n" + extraIni);
}

CliOutcome RunCli(const std::string& home, const std::vector<std::string>& extra) {
  const std::string logPath = home + "/autorateloom.log";
  std::error_code ec;
  const auto logStart = std::filesystem::exists(logPath) ? std::filesystem::file_size(logPath, ec) : 0;
  const std::string exe = BinDir() + "autorateloom-cli";
  std::vector<std::string> args{exe, "--home", home};
  args.insert(args.end(), extra.begin(), extra.end());
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  TempDir scratch;
  const std::string outPath = scratch / "stdout.txt", errPath = scratch / "stderr.txt";
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
  const std::string log = std::filesystem::exists(logPath) ? ReadFile(logPath) : std::string();
  o.log = log.substr(std::min<std::size_t>(logStart, log.size()));
  return o;
}

}  // namespace arl::test
