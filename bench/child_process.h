#pragma once
// ChildProcess: runs an executable as a separate process and times it as a user sees it: the wall
// clock from the spawn to its exit, its processor time and its peak resident memory (from wait4).
// Its standard output and error go to a file. A program that cannot be started gives exit code 127,
// as in a shell; a program killed by a signal gives -1.
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

extern char** environ;

namespace arl::benchutil {

struct ProcessResult {
  double seconds = 0;
  double cpuSeconds = 0;  // user and system time
  long peakKb = 0;        // peak resident memory
  int exitCode = -1;
};

// Runs argv[0] (looked up in PATH when it has no slash) with stdout and stderr to `outPath`.
inline ProcessResult RunProcess(const std::vector<std::string>& args, const std::string& outPath) {
  std::vector<char*> argv;
  for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0644);
  posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);

  ProcessResult r;
  const auto start = std::chrono::steady_clock::now();
  pid_t pid = 0;
  const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) {
    r.exitCode = 127;
    return r;
  }
  int status = 0;
  struct rusage usage {};
  while (wait4(pid, &status, 0, &usage) < 0 && errno == EINTR) {
  }
  r.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  r.cpuSeconds = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                 static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
  r.peakKb = usage.ru_maxrss;
  r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return r;
}

}  // namespace arl::benchutil
