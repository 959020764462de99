#pragma once
// Crash drills for the headless front end: a home directory driven by autorateloom-cli processes
// that are stopped at random moments, and the means to judge what they left. A process is started
// with its output in a scratch directory, watched through the home's log file (every message is
// appended there at once), and ended with a signal either after a delay or a short while after a
// chosen log message appeared. The home's files are then read back whole for a byte-for-byte
// comparison. Header-only because the test executable globs its sources.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/common/temp_dir.h"
#include "tests/run/e2e_fixture.h"

extern char** environ;

namespace arl::test::crash {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using Tree = std::map<std::string, std::string>;  // relative path -> content

inline constexpr char kLogName[] = "autorateloom.log";

inline std::uint64_t EnvNumber(const char* name, std::uint64_t fallback) {
  const char* text = std::getenv(name);
  if (text == nullptr || *text == '\0') return fallback;
  return std::strtoull(text, nullptr, 10);
}

// Every file of a home, except the log and the settings file, which every run appends to or
// rewrites and which hold nothing of the archive.
inline Tree ReadHome(const std::string& home) {
  Tree tree;
  for (const auto& entry : fs::recursive_directory_iterator(home)) {
    if (!entry.is_regular_file()) continue;
    const std::string rel = fs::relative(entry.path(), home).string();
    if (rel == kLogName || rel == "autorateloom.ini") continue;
    tree[rel] = ReadFile(entry.path().string());
  }
  return tree;
}

inline bool LooksTemporary(const std::string& rel) {
  const std::string name = fs::path(rel).filename().string();
  return name.starts_with(".") || name.find(".tmp") != std::string::npos ||
         name.find(".part") != std::string::npos;
}

// "" when equal; otherwise one line per missing, different or unexpected file. Files named as
// temporaries are left to Leftovers(), so that a drill can go on past them and list them all.
inline std::string Differences(const Tree& expected, const Tree& actual) {
  return TreeDifferences(expected, actual, LooksTemporary);
}

// Temporary files that a finished home still holds: each one was left by a stopped run and would
// stay for good.
inline std::vector<std::string> Leftovers(const Tree& expected, const Tree& actual) {
  std::vector<std::string> found;
  for (const auto& [path, content] : actual) {
    if (!expected.count(path) && LooksTemporary(path)) found.push_back(path);
  }
  return found;
}

// A home for the front end: the settings (the site's index, the merge ticked) and a currency list.
inline void WriteHome(const std::string& home, const std::string& indexUrl,
                      const std::vector<std::string>& tickers) {
  std::string list;
  for (const auto& t : tickers) list += t + "\r\n";
  WriteFile(home + "CurrencyList.txt", list);
  WriteFile(home + "autorateloom.ini", "[Form]\r\nEditURL=" + indexUrl + "\r\nCheckBox1=1\r\n");
}

// The phase a run was in, judged from the last line of its log at that moment: each message names
// the step just done, so the line tells what was running after it.
inline std::string PhaseOf(const std::string& runLog) {
  std::string text = runLog;
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  if (text.empty()) return "start-up";
  const auto cut = text.find_last_of('\n');
  const std::string last = cut == std::string::npos ? text : text.substr(cut + 1);
  auto has = [&](const char* piece) { return last.find(piece) != std::string::npos; };
  if (has("通貨間")) return "cross-check";
  if (has("行分") || has("と被った") || has("チェック&追記") || has("確認しました") || has("作り直します") ||
      has("時間かかります") || has("作成し直します"))
    return "conversion";
  if (has("Merge") || has("以降の行を追記") || has("追記する行はありません") || has("DLしていない"))
    return "merge";
  if (has("DL OK.")) return "extraction";
  if (has("リネーム") || has("DL error")) return "download";
  if (has("にアクセス") || has("成功しました") || has("失敗しました")) return "page load";
  if (has("処理完了") || has("キャンセル")) return "closing";
  return "other";
}

// One autorateloom-cli process on a home.
class CliRun {
 public:
  CliRun(const std::string& home, const std::string& scratch) : home_(home) {
    logStart_ = static_cast<std::int64_t>(FileSize(home_ + kLogName));
    const std::string exe = BinDir() + "autorateloom-cli";
    std::vector<std::string> args = {exe, "--home", home_};
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    const std::string out = scratch + "stdout.txt", err = scratch + "stderr.txt";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    started_ = Clock::now();
    if (posix_spawn(&pid_, exe.c_str(), &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    stderrPath_ = err;
  }
  ~CliRun() {
    if (pid_ > 0 && !status_) {
      ::kill(pid_, SIGKILL);
      int s = 0;
      ::waitpid(pid_, &s, 0);
    }
  }
  CliRun(const CliRun&) = delete;
  CliRun& operator=(const CliRun&) = delete;

  bool Started() const { return pid_ > 0; }
  pid_t Pid() const { return pid_; }
  double Seconds() const { return std::chrono::duration<double>(Clock::now() - started_).count(); }

  // The wait status once the process has ended.
  std::optional<int> Ended() {
    if (!status_ && pid_ > 0) {
      int s = 0;
      if (::waitpid(pid_, &s, WNOHANG) == pid_) status_ = s;
    }
    return status_;
  }
  // Waits for the end; a process still there after `limit` is killed and reported as hung (-1).
  int Wait(std::chrono::seconds limit = std::chrono::seconds(120)) {
    if (pid_ <= 0) return -1;
    const auto deadline = Clock::now() + limit;
    while (!Ended()) {
      if (Clock::now() > deadline) {
        ::kill(pid_, SIGKILL);
        int s = 0;
        ::waitpid(pid_, &s, 0);
        status_ = s;
        return -1;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return *status_;
  }
  void Signal(int sig) const {
    // Never -1 (every process of the user) and never a reaped child's number, which may be reused.
    if (pid_ > 0 && !status_) ::kill(pid_, sig);
  }

  // What this run has written to the log so far.
  std::string Log() const {
    std::ifstream in(home_ + kLogName, std::ios::binary);
    in.seekg(logStart_);
    std::ostringstream text;
    if (in) text << in.rdbuf();
    return text.str();
  }
  std::string Stderr() const { return ReadFile(stderrPath_); }

 private:
  static std::uintmax_t FileSize(const std::string& path) {
    std::error_code ec;
    const auto size = fs::file_size(path, ec);
    return ec ? 0 : size;
  }

  std::string home_, stderrPath_;
  std::int64_t logStart_ = 0;
  pid_t pid_ = -1;
  Clock::time_point started_;
  std::optional<int> status_;
};

inline std::string DescribeStatus(int status) {
  if (status == -1) return "hung";
  if (WIFEXITED(status)) return "exit " + std::to_string(WEXITSTATUS(status));
  if (WIFSIGNALED(status)) return "signal " + std::to_string(WTERMSIG(status));
  return "status " + std::to_string(status);
}

}  // namespace arl::test::crash
