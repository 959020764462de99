// autorateloom-cli as a process: exit statuses, its home directory, and a stop signal during a page
// load that never ends.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <regex>
#include <thread>
#include <vector>

#include "tests/common/cli_home.h"
#include "tests/common/fake_host.h"
#include "tests/common/temp_dir.h"

namespace arl::test {
namespace {

using Outcome = ProcessOutcome;

// curl's text says how long the connection took ("after 0 ms"); a loaded machine takes longer.
std::string WithoutElapsed(std::string text) {
  return std::regex_replace(text, std::regex("after [0-9]+ ms"), "after N ms");
}

void WriteUrl(const TempDir& home, const std::string& url) {
  WriteFile(home / "autorateloom.ini", "[Form]\r\nEditURL=" + url + "\r\n");
}

TEST(HeadlessProcess, UnreachableIndexEndsWithErrorAfterTheClosingSteps) {
  TempDir home;
  WriteUrl(home, "http://127.0.0.1:1/free_forex_quotes/forex_history_arhiv.html");
  Outcome o = RunCliProcess({"--home", home.path()});
  EXPECT_EQ(o.status, 1) << o.err;
  const std::string error =
      "インデックスページ http://127.0.0.1:1/free_forex_quotes/forex_history_arhiv.html "
      "を読み込めませんでした "
      "(Failed to connect to 127.0.0.1 port 1 after N ms: Couldn't connect to server)";
  EXPECT_EQ(WithoutElapsed(WithoutSummary(o.out)), error + "\n処理完了\n");
  EXPECT_EQ(WithoutElapsed(o.err), error + "\n") << "the error's text is shown, ending its line";
  EXPECT_EQ(WithoutElapsed(WithoutSummary(ReadFile(home / "autorateloom.log"))), error + "\r\n処理完了\r\n");
  // The home got what the program keeps beside itself.
  EXPECT_EQ(ReadFile(home / "CurrencyList.txt"), ReadFile(BinDir() + "CurrencyList.txt"));
  EXPECT_NE(ReadFile(home / "autorateloom.ini").find("EditRetryLimit=5"), std::string::npos);
  EXPECT_TRUE(std::filesystem::is_directory(home / "OriginalArchive"));
  EXPECT_TRUE(std::filesystem::is_directory(home / "HistoricalData"));
}

TEST(HeadlessProcess, ClosedStdoutDoesNotKillTheRun) {
  TempDir home;
  WriteUrl(home, "http://127.0.0.1:1/");
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  close(fds[0]);  // nobody reads: every write to stdout fails
  CliProcess process({"--home", home.path()}, fds[1]);
  close(fds[1]);
  const int status = process.Wait(std::chrono::seconds(60));
  ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
  EXPECT_EQ(WEXITSTATUS(status), 1);
  EXPECT_TRUE(ReadFile(home / "autorateloom.log").ends_with("処理完了\r\n"));
}

TEST(HeadlessProcess, AHomeIsMadeOnlyByInitAndItsCurrencyListKept) {
  TempDir base;
  const std::string home = base / "fx home";
  WriteFile(home + "/CurrencyList.txt", "EURUSD\r\n");
  WriteFile(home + "/autorateloom.ini", "[Form]\r\nEditURL=http://127.0.0.1:1/\r\n");
  Outcome o = RunCliProcess({"auto", "--home=" + home});
  EXPECT_EQ(o.status, 1);
  EXPECT_EQ(ReadFile(home + "/CurrencyList.txt"), "EURUSD\r\n");

  // A mistyped home is refused, not made into a new one that a full download would fill.
  const std::string fresh = base / "new/deeper";
  o = RunCliProcess({"--home", fresh});
  EXPECT_EQ(o.status, 1);
  EXPECT_EQ(o.err, "autorateloom-cli: フォルダ " + fresh +
                       " がありません。作るには --init を付けて実行してください "
                       "(autorateloom-cli --init --home " +
                       fresh + ")\n");
  EXPECT_FALSE(std::filesystem::exists(fresh));

  o = RunCliProcess({"--init", "--home", fresh});
  EXPECT_EQ(o.status, 0) << o.err;
  EXPECT_EQ(ReadFile(fresh + "/CurrencyList.txt"), ReadFile(BinDir() + "CurrencyList.txt"));
  EXPECT_NE(ReadFile(fresh + "/autorateloom.ini").find("EditGmtGap=-6"), std::string::npos);
  EXPECT_TRUE(std::filesystem::is_directory(fresh + "/OriginalArchive"));
  EXPECT_EQ(ReadFile(fresh + "/autorateloom.log"), "") << "--init runs nothing";
  // Run again, it keeps what the user has changed.
  WriteFile(fresh + "/CurrencyList.txt", "USDJPY\r\n");
  EXPECT_EQ(RunCliProcess({"--home", fresh, "--init"}).status, 0);
  EXPECT_EQ(ReadFile(fresh + "/CurrencyList.txt"), "USDJPY\r\n");
}

TEST(HeadlessProcess, HelpVersionAndBadArguments) {
  Outcome o = RunCliProcess({"--help"});
  EXPECT_EQ(o.status, 0);
  EXPECT_NE(o.out.find("--home"), std::string::npos);
  o = RunCliProcess({"--version"});
  EXPECT_EQ(o.status, 0);
  EXPECT_EQ(o.out, "autorateloom-cli 0.02\n");
  // The read-me beside the executables carries the same version, generated from the one owner.
  EXPECT_NE(ReadFile(BinDir() + "readme.html").find("<h1>Auto Rateloom - Ver 0.02 -</h1>"),
            std::string::npos);
  o = RunCliProcess({"--frobnicate"});
  EXPECT_EQ(o.status, 2);
  EXPECT_NE(o.err.find("--frobnicate"), std::string::npos);
}

// A server that takes connections into its backlog and never answers.
class SilentServer {
 public:
  SilentServer() {
    fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a);
    listen(fd_, 8);
    socklen_t len = sizeof a;
    getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &len);
    port_ = ntohs(a.sin_port);
  }
  ~SilentServer() { close(fd_); }
  int port() const { return port_; }
  bool WaitForClient(int ms) {
    pollfd p{fd_, POLLIN, 0};
    return poll(&p, 1, ms) == 1;
  }

 private:
  int fd_ = -1;
  int port_ = 0;
};

TEST(HeadlessProcess, StopSignalCancelsAStuckPageLoad) {
  TempDir home;
  SilentServer server;
  WriteUrl(home, "http://127.0.0.1:" + std::to_string(server.port()) +
                     "/free_forex_quotes/forex_history_arhiv.html");
  Outcome o = RunCliProcess({"--home", home.path()}, [&](pid_t pid) {
    ASSERT_TRUE(server.WaitForClient(10000)) << "the index page was never asked for";
    std::this_thread::sleep_for(std::chrono::milliseconds(300));  // well inside the wait
    kill(pid, SIGINT);
  });
  EXPECT_EQ(o.status, 130) << o.err;
  EXPECT_EQ(WithoutSummary(o.out), "キャンセルします...\nキャンセルしました\n処理完了\n");
  EXPECT_EQ(WithoutSummary(ReadFile(home / "autorateloom.log")),
            "キャンセルします...\r\nキャンセルしました\r\n処理完了\r\n");
}

TEST(HeadlessProcess, TermActsLikeInt) {
  TempDir home;
  SilentServer server;
  WriteUrl(home, "http://127.0.0.1:" + std::to_string(server.port()) + "/index.html");
  Outcome o = RunCliProcess({"--home", home.path()}, [&](pid_t pid) {
    ASSERT_TRUE(server.WaitForClient(10000));
    kill(pid, SIGTERM);
  });
  EXPECT_EQ(o.status, 130) << o.err;
}

}  // namespace
}  // namespace arl::test
