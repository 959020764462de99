// The headless front end's events and stop signals: the log on stdout, boxes on stderr, the status
// line only on a terminal, a stop signal taken by the watcher thread as one cancel request, and the
// settings file written back with the geometry it had.
#include "cli/headless_events.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>

#include "cli/stop_signals.h"
#include "run/run_control.h"
#include "support/profile.h"
#include "tests/common/fake_host.h"

namespace arl::test {
namespace {

std::string Contents(std::FILE* f) {
  std::fflush(f);
  std::rewind(f);
  std::string s;
  char buf[4096];
  std::size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) s.append(buf, n);
  return s;
}

struct HeadlessFixture : ::testing::Test {
  explicit HeadlessFixture(bool statusOnErr = false)
      : settings(home / "autorateloom.ini"),
        out(std::tmpfile()),
        err(std::tmpfile()),
        events(settings, out, err, statusOnErr),
        session(events, browser, downloader, Paths::ForAppDir(home.path())) {
    PrepareWorkingFolders(session.paths);
  }
  ~HeadlessFixture() override {
    std::fclose(out);
    std::fclose(err);
  }
  TempDir home;
  HeadlessSettings settings;
  std::FILE* out;
  std::FILE* err;
  HeadlessEvents events;
  FakeBrowser browser;
  FakeDownloader downloader;
  Session session;
};

TEST_F(HeadlessFixture, AStopSignalIsOneCancelRequestTakenOnTheWatcherThread) {
  std::atomic<int> requests{0};
  std::thread::id where;        // read after the watcher has ended
  session.SetCancelOpen(true);  // as a run under way
  {
    StopSignals signals([&] {
      ++requests;
      where = std::this_thread::get_id();
      RequestCancel(session);
    });
    EXPECT_FALSE(signals.Received());
    ::kill(::getpid(), SIGINT);  // blocked here, taken by the watcher
    for (int i = 0; i < 500 && !signals.Received(); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    for (int i = 0; i < 500 && requests == 0; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(2));
    EXPECT_TRUE(signals.Received());
  }
  EXPECT_EQ(requests, 1);
  EXPECT_NE(where, std::this_thread::get_id());
  EXPECT_FALSE(session.GoOn());
  EXPECT_EQ(ReadFile(session.paths.LogPath), "キャンセルします...\r\n");
  EXPECT_EQ(Contents(out), "キャンセルします...\n");
}

TEST_F(HeadlessFixture, BoxesGoToStderr) {
  events.MessageBoxOk("line one\r\nline two", "info");
  const std::string e = Contents(err);
  EXPECT_NE(e.find("[info]\nline one\r\nline two\n"), std::string::npos) << e;
  EXPECT_EQ(Contents(out), "");
}

TEST_F(HeadlessFixture, LogLinesGoToStdoutAndStatusStaysOffAPipe) {
  session.SetStatus("処理中");
  session.AddLog("a\r\nb");
  EXPECT_EQ(Contents(out), "a\nb\n");
  EXPECT_EQ(Contents(err), "");
}

struct TerminalFixture : HeadlessFixture {
  TerminalFixture() : HeadlessFixture(true) {}
};

TEST_F(TerminalFixture, StatusLineIsLiftedForEachLogLine) {
  session.SetStatus("処理中");
  session.AddLog("x");
  events.ClearStatusLine();
  EXPECT_EQ(Contents(err), "\r\033[K処理中\r\033[K\r\033[K処理中\r\033[K");
  EXPECT_EQ(Contents(out), "x\n");
}

TEST(HeadlessSettings, FirstSaveWritesOnlyTheOptionsSoTheWindowCentresItself) {
  TempDir home;
  const std::string ini = home / "autorateloom.ini";
  WriteFile(ini, "[Form]\r\nEditGmtGap=-7\r\nRadioGroup2=5\r\n");
  HeadlessSettings s(ini);
  EXPECT_EQ(s.Options().EditGmtGap, "-7");
  EXPECT_EQ(s.Options().RadioGroup2, 1) << "clamped as the window would";
  EXPECT_EQ(s.Options().EditRetryLimit, "5");
  s.Save();
  ProfileFile f(ini);
  EXPECT_FALSE(f.HasKey("Form", "Top"));
  EXPECT_FALSE(f.HasKey("Form", "Width"));
  EXPECT_EQ(f.ReadString("Form", "EditGmtGap", ""), "-7");
  EXPECT_EQ(f.ReadString("Form", "EditURL", ""), kDefaultIndexUrl);
  EXPECT_TRUE(f.HasKey("Form", "CheckBox1"));
}

TEST(HeadlessSettings, GeometryIsWrittenBackAsRead) {
  TempDir home;
  const std::string ini = home / "autorateloom.ini";
  WriteFile(ini,
            "[Form]\r\nTop=11\r\nLeft=22\r\nWidth=1000\r\nHeight=700\r\nCheckBox1=2\r\n[Other]\r\nk=v\r\n");
  HeadlessSettings s(ini);
  EXPECT_TRUE(s.Options().CheckBox1);
  s.Save();
  ProfileFile f(ini);
  EXPECT_EQ(f.ReadInteger("Form", "Top", 0), 11);
  EXPECT_EQ(f.ReadInteger("Form", "Left", 0), 22);
  EXPECT_EQ(f.ReadInteger("Form", "Width", 0), 1000);
  EXPECT_EQ(f.ReadInteger("Form", "Height", 0), 700);
  EXPECT_EQ(f.ReadString("Form", "CheckBox1", ""), "1");
  EXPECT_EQ(f.ReadString("Other", "k", ""), "v");
}

}  // namespace
}  // namespace arl::test
