#include "tests/common/cli_process.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <thread>

#include "tests/common/temp_dir.h"

extern char** environ;

namespace arl::test {

ProcessOutcome RunCliProcess(std::vector<std::string> args, const std::function<void(pid_t)>& whileRunning) {
  const std::string exe = BinDir() + "autorateloom-cli";
  args.insert(args.begin(), exe);
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
  ProcessOutcome o;
  if (rc != 0) {
    ADD_FAILURE() << "cannot start " << exe;
    return o;
  }
  if (whileRunning) whileRunning(pid);
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
  return o;
}

}  // namespace arl::test
