#pragma once
// The headless front end as the tests run it, and the file trees of homes as they compare them.
#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "tests/common/temp_dir.h"

namespace arl::test {

// CliProcess: one autorateloom-cli child, its stdout and stderr in files of a scratch folder of its
// own (or stdout on `stdoutFd`), to wait for, signal or watch while it runs. A process still running
// when the object goes is killed; a start that fails is a test failure and leaves Started() false.
class CliProcess {
 public:
  explicit CliProcess(std::vector<std::string> args, int stdoutFd = -1);
  ~CliProcess();
  CliProcess(const CliProcess&) = delete;
  CliProcess& operator=(const CliProcess&) = delete;

  bool Started() const { return pid_ > 0; }
  pid_t Pid() const { return pid_; }
  double Seconds() const;
  // The wait status once the process has ended.
  std::optional<int> Ended();
  // Waits for the end; a process still there after `limit` is killed and reported as hung (-1).
  int Wait(std::chrono::seconds limit = std::chrono::seconds(120));
  // Never to a process already waited for, whose number may be reused.
  void Signal(int sig) const;
  std::string Out() const;
  std::string Err() const;

 private:
  TempDir scratch_;
  pid_t pid_ = -1;
  std::chrono::steady_clock::time_point started_;
  std::optional<int> status_;
};

struct ProcessOutcome {
  int status = -1;  // exit status, or -1 when it did not exit normally
  std::string out, err;
};

// Runs autorateloom-cli with `args` to its end, a minute at most (then it is killed and reported);
// `whileRunning` gets its process id once it started.
ProcessOutcome RunCliProcess(std::vector<std::string> args,
                             const std::function<void(pid_t)>& whileRunning = nullptr);

// What a log file gained after the mark was taken.
class LogMark {
 public:
  explicit LogMark(std::string path);
  std::string Since() const;

 private:
  std::string path_;
  std::uintmax_t start_;
};

// Relative path below a home ("OriginalArchive/2011/110103.txt") -> file content.
using FileTree = std::map<std::string, std::string>;

// Every file below `root`, or only below its folders `tops`; files whose relative path `skip`
// names are left out.
FileTree ReadTree(const std::string& root, const std::vector<std::string>& tops = {},
                  const std::function<bool(const std::string&)>& skip = {});

// "" when equal; otherwise one line per missing, unexpected or different file. Extra files for which
// ignoreExtra is true are not reported.
std::string TreeDifferences(const FileTree& expected, const FileTree& actual,
                            const std::function<bool(const std::string&)>& ignoreExtra = {});

}  // namespace arl::test
