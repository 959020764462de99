#pragma once
// Helpers for the benchmarks: silent run events, a scratch directory, wall-clock timing,
// running a shell command or a function in a child process with its peak memory.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>

#include "acquire/downloader.h"
#include "acquire/page_browser.h"
#include "run/run_events.h"
#include "run/session.h"

namespace arl::benchutil {

// A run's events that go nowhere.
class QuietEvents : public RunEvents {
 public:
  void Logged(std::string_view) override {}
  void StatusChanged(std::string_view) override {}
  void MessageBoxOk(std::string_view, std::string_view) override {}
};

class NoBrowser : public PageBrowser {
 public:
  void Navigate(const std::string&) override {}
  void Wait(const CancelToken&) override {}
  int AnchorCount() override { return 0; }
  std::string AnchorTarget(int) override { return {}; }
};

class NoDownloader : public Downloader {
 public:
  bool Download(const std::string&, const std::string&) override { return false; }
};

// A fresh directory under the system's temporary directory, removed at the end.
class ScratchDir {
 public:
  ScratchDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "arl-bench-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) std::abort();
    path_ = pattern + "/";
  }
  ~ScratchDir() { std::filesystem::remove_all(path_); }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

inline double Seconds(const std::function<void()>& f) {
  const auto start = std::chrono::steady_clock::now();
  f();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

struct ChildResult {
  double seconds = 0;
  double cpuSeconds = 0;  // user and system time of the child
  long peakKb = 0;        // the child's peak resident memory
  int exitCode = -1;
};

// Runs `f` in a child process; its exit code is f's result.
inline ChildResult RunInChild(const std::function<int()>& f) {
  ChildResult r;
  const auto start = std::chrono::steady_clock::now();
  const pid_t pid = fork();
  if (pid == 0) _exit(f());
  int status = 0;
  struct rusage usage {};
  wait4(pid, &status, 0, &usage);
  r.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  r.peakKb = usage.ru_maxrss;
  r.cpuSeconds = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                 static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
  r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return r;
}

inline double ShellSeconds(const std::string& command) {
  return Seconds([&] {
    if (std::system(command.c_str()) != 0) std::fprintf(stderr, "command failed: %s\n", command.c_str());
  });
}

}  // namespace arl::benchutil
