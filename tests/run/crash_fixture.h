#pragma once
// Crash drills for the headless front end: a home directory driven by autorateloom-cli processes
// that are stopped at random moments, and the means to judge what they left. A process is started
// with its output in a scratch directory, watched through the home's log file (every message is
// appended there at once), and ended with a signal either after a delay or a short while after a
// chosen log message appeared. The home's files are then read back whole for a byte-for-byte
// comparison. Header-only because the test executable globs its sources.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "tests/common/cli_home.h"
#include "tests/common/temp_dir.h"
#include "tests/run/e2e_fixture.h"

namespace arl::test::crash {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using Tree = FileTree;

inline constexpr char kLogName[] = "autorateloom.log";

inline std::uint64_t EnvNumber(const char* name, std::uint64_t fallback) {
  const char* text = std::getenv(name);
  if (text == nullptr || *text == '\0') return fallback;
  return std::strtoull(text, nullptr, 10);
}

// Every file of a home, except the log and the settings file, which every run appends to or
// rewrites and which hold nothing of the archive.
inline Tree ReadHome(const std::string& home) {
  return ReadTree(home, {},
                  [](const std::string& rel) { return rel == kLogName || rel == "autorateloom.ini"; });
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

// A home for the front end: the settings (the site's index, the merge and every timeframe ticked)
// and a currency list.
inline void WriteHome(const std::string& home, const std::string& indexUrl,
                      const std::vector<std::string>& tickers) {
  std::string list;
  for (const auto& t : tickers) list += t + "\r\n";
  WriteFile(home + "CurrencyList.txt", list);
  WriteFile(home + "autorateloom.ini",
            "[Form]\r\nEditURL=" + indexUrl +
                "\r\nCheckBox1=1\r\nTimeframes=5min,15min,30min,1hour,4hour,1day\r\n");
}

// Whether a 5-minute bar file of the home was written at `since` or later: the first bar file a run
// writes is one, as 5 minutes is the shortest timeframe.
inline bool BarFileWrittenSince(const std::string& home, fs::file_time_type since) {
  std::error_code ec;
  for (const auto& ticker : fs::directory_iterator(home + "HistoricalData", ec))
    for (const auto& file : fs::directory_iterator(ticker.path() / "5min", ec))
      if (file.last_write_time(ec) >= since && !ec) return true;
  return false;
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

// One autorateloom-cli process on a home, and what it has written to the home's log so far.
class CliRun : public CliProcess {
 public:
  explicit CliRun(const std::string& home) : CliProcess({"--home", home}), log_(home + kLogName) {}
  std::string Log() const { return log_.Since(); }

 private:
  LogMark log_;
};

inline std::string DescribeStatus(int status) {
  if (status == -1) return "hung";
  if (WIFEXITED(status)) return "exit " + std::to_string(WEXITSTATUS(status));
  if (WIFSIGNALED(status)) return "signal " + std::to_string(WTERMSIG(status));
  return "status " + std::to_string(status);
}

}  // namespace arl::test::crash
