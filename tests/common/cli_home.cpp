#include "tests/common/cli_home.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

extern char** environ;

namespace arl::test {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

CliProcess::CliProcess(std::vector<std::string> args, int stdoutFd) {
  const std::string exe = BinDir() + "autorateloom-cli";
  args.insert(args.begin(), exe);
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  const std::string outPath = scratch_ / "stdout.txt", errPath = scratch_ / "stderr.txt";
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (stdoutFd >= 0)
    posix_spawn_file_actions_adddup2(&actions, stdoutFd, 1);
  else
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  started_ = Clock::now();
  if (posix_spawn(&pid_, exe.c_str(), &actions, nullptr, argv.data(), environ) != 0) {
    pid_ = -1;
    ADD_FAILURE() << "cannot start " << exe;
  }
  posix_spawn_file_actions_destroy(&actions);
}

CliProcess::~CliProcess() {
  if (pid_ > 0 && !status_) {
    ::kill(pid_, SIGKILL);
    int s = 0;
    ::waitpid(pid_, &s, 0);
  }
}

double CliProcess::Seconds() const { return std::chrono::duration<double>(Clock::now() - started_).count(); }

std::optional<int> CliProcess::Ended() {
  if (!status_ && pid_ > 0) {
    int s = 0;
    if (::waitpid(pid_, &s, WNOHANG) == pid_) status_ = s;
  }
  return status_;
}

int CliProcess::Wait(std::chrono::seconds limit) {
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

void CliProcess::Signal(int sig) const {
  if (pid_ > 0 && !status_) ::kill(pid_, sig);
}

std::string CliProcess::Out() const {
  return fs::exists(scratch_ / "stdout.txt") ? ReadFile(scratch_ / "stdout.txt") : "";
}
std::string CliProcess::Err() const { return ReadFile(scratch_ / "stderr.txt"); }

ProcessOutcome RunCliProcess(std::vector<std::string> args, const std::function<void(pid_t)>& whileRunning) {
  CliProcess process(std::move(args));
  ProcessOutcome o;
  if (!process.Started()) return o;
  if (whileRunning) whileRunning(process.Pid());
  const int status = process.Wait(std::chrono::seconds(60));
  if (status == -1) ADD_FAILURE() << "the front end did not end within 60 s";
  if (status != -1 && WIFEXITED(status)) o.status = WEXITSTATUS(status);
  o.out = process.Out();
  o.err = process.Err();
  return o;
}

LogMark::LogMark(std::string path) : path_(std::move(path)) {
  std::error_code ec;
  start_ = fs::file_size(path_, ec);
  if (ec) start_ = 0;
}

std::string LogMark::Since() const {
  std::ifstream in(path_, std::ios::binary);
  in.seekg(static_cast<std::streamoff>(start_));
  std::ostringstream text;
  if (in) text << in.rdbuf();
  return text.str();
}

FileTree ReadTree(const std::string& root, const std::vector<std::string>& tops,
                  const std::function<bool(const std::string&)>& skip) {
  FileTree tree;
  for (const std::string& top : tops.empty() ? std::vector<std::string>{""} : tops) {
    std::error_code ec;
    if (!fs::exists(fs::path(root) / top, ec)) continue;
    for (const auto& entry : fs::recursive_directory_iterator(fs::path(root) / top)) {
      if (!entry.is_regular_file()) continue;
      const std::string rel = fs::relative(entry.path(), root).string();
      if (!skip || !skip(rel)) tree[rel] = ReadFile(entry.path().string());
    }
  }
  return tree;
}

std::string TreeDifferences(const FileTree& expected, const FileTree& actual,
                            const std::function<bool(const std::string&)>& ignoreExtra) {
  std::string report;
  for (const auto& [path, content] : expected) {
    auto it = actual.find(path);
    if (it == actual.end()) {
      report += "missing " + path + "\n";
    } else if (it->second != content) {
      std::size_t at = 0;
      while (at < content.size() && at < it->second.size() && content[at] == it->second[at]) ++at;
      report += "differs " + path + " at byte " + std::to_string(at) + " (expected " +
                std::to_string(content.size()) + " bytes, got " + std::to_string(it->second.size()) + ")\n";
    }
  }
  for (const auto& [path, content] : actual) {
    if (expected.count(path) || (ignoreExtra && ignoreExtra(path))) continue;
    report += "unexpected " + path + " (" + std::to_string(content.size()) + " bytes)\n";
  }
  return report;
}

}  // namespace arl::test
