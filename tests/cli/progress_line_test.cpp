// The headless front end's progress line: drawn only on a terminal and without --quiet (the terminal
// given by a hook), what it reads and how it is cut, and how it leaves stderr to the closing status
// and the error text.
#include "cli/progress_line.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <vector>

#include "cli/headless.h"
#include "tests/common/fake_host.h"

namespace arl::test {
namespace {

TEST(ProgressLine, TextIsTheProgressOrElseTheStatusCutToTheTerminal) {
  EXPECT_EQ(ProgressLineText("", "処理中", 0), "処理中");
  EXPECT_EQ(ProgressLineText("マージ 1/2 通貨", "EURUSD 2010 をマージ中", 0), "マージ 1/2 通貨");
  // Wide characters take two columns; the last column stays free.
  EXPECT_EQ(ProgressLineText("ab年の一覧", "", 7), "ab年の");
  EXPECT_EQ(ProgressLineText("a\xE5", "", 80), "a\xE5") << "a sequence cut short is kept as it is";
}

// RunHeadless in this process, with stderr in a file and the terminal as `probe` says.
std::string StderrOfARun(const TerminalProbe& probe, std::vector<std::string> args) {
  TempDir home;
  WriteFile(home / "autorateloom.ini", "[Form]\r\nEditURL=http://127.0.0.1:1/\r\n");
  args.insert(args.begin(), {"autorateloom-cli", "--home", home.path()});
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  const TerminalProbe saved = HeadlessTerminal();
  HeadlessTerminal() = probe;
  std::fflush(stdout);
  std::fflush(stderr);
  const int savedOut = ::dup(STDOUT_FILENO), savedErr = ::dup(STDERR_FILENO);
  const int devNull = ::open("/dev/null", O_WRONLY);
  const int errFile = ::open((home / "err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  ::dup2(devNull, STDOUT_FILENO);
  ::dup2(errFile, STDERR_FILENO);
  EXPECT_EQ(RunHeadless(static_cast<int>(argv.size()), argv.data()), kExitError);
  std::fflush(stdout);
  std::fflush(stderr);
  ::dup2(savedOut, STDOUT_FILENO);
  ::dup2(savedErr, STDERR_FILENO);
  for (int fd : {savedOut, savedErr, devNull, errFile}) ::close(fd);
  HeadlessTerminal() = saved;
  return ReadFile(home / "err");
}

TEST(ProgressLine, DrawnOnlyOnATerminalAndNotWithQuiet) {
  const TerminalProbe terminal{[](int fd) { return fd == STDERR_FILENO; }, [](int) { return 80; }};
  const TerminalProbe pipe{[](int) { return false; }, [](int) { return 0; }};
  const std::string error = "インデックスページ http://127.0.0.1:1/ を読み込めませんでした";

  const std::string shown = StderrOfARun(terminal, {});
  EXPECT_NE(shown.find("\r\033[K処理中\r\033[Khttp://127.0.0.1:1/ にアクセス\r\033[K年の一覧を確認中"),
            std::string::npos)
      << shown;
  // After the work the status is back, and the line is taken off before the error.
  EXPECT_NE(shown.find("\r\033[K処理完了\r\033[K" + error), std::string::npos) << shown;
  for (const auto& quiet : {StderrOfARun(terminal, {"--quiet"}), StderrOfARun(pipe, {})}) {
    EXPECT_TRUE(quiet.starts_with(error)) << quiet;
    EXPECT_EQ(quiet.find('\r'), std::string::npos) << quiet;
  }
}

}  // namespace
}  // namespace arl::test
