// The headless host: stop requests taken as a confirmed cancel at the next pump, boxes answered
// with OK on stderr, the log on stdout, the status line only on a terminal, and the settings file
// written back with the geometry it had.
#include "cli/headless_host.h"

#include <gtest/gtest.h>

#include <cstdio>

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
        host(settings, out, err, statusOnErr),
        session(host, browser, downloader, Paths::ForAppDir(home.path())) {
    PrepareWorkingFolders(session.paths);
    host.Attach(session);
    host.stopRequested = [this] {
      bool s = stop;
      stop = false;
      return s;
    };
  }
  ~HeadlessFixture() override {
    std::fclose(out);
    std::fclose(err);
  }
  TempDir home;
  HeadlessSettings settings;
  std::FILE* out;
  std::FILE* err;
  HeadlessHost host;
  FakeBrowser browser;
  FakeDownloader downloader;
  Session session;
  bool stop = false;
};

TEST_F(HeadlessFixture, StopRequestIsTakenOnceAtTheNextPump) {
  host.Pump();
  EXPECT_TRUE(host.GoOn());
  stop = true;
  EXPECT_TRUE(host.GoOn()) << "nothing happens before the run polls";
  host.Pump();
  EXPECT_FALSE(host.GoOn());
  EXPECT_TRUE(host.CancelTaken());
  stop = true;
  host.Pump();  // a cancel already under way is not logged again
  EXPECT_EQ(ReadFile(session.paths.LogPath), "キャンセルします...\r\n");
  EXPECT_EQ(Contents(out), "キャンセルします...\n");
  EXPECT_EQ(host.Memo1().Lines(), LineList{"キャンセルします..."});
}

TEST_F(HeadlessFixture, CancelWithoutALogFileStillStopsAndDoesNotThrowOutOfPump) {
  std::remove(session.paths.LogPath.c_str());
  stop = true;
  EXPECT_NO_THROW(host.Pump());
  EXPECT_FALSE(host.GoOn());
  EXPECT_NE(Contents(err).find("log file"), std::string::npos);
}

TEST_F(HeadlessFixture, IdleStateSetsTheFlagWithoutTakingLateStops) {
  host.SetGoOn(false);
  stop = true;
  host.LeaveBusyUi();
  EXPECT_TRUE(host.GoOn());
  EXPECT_FALSE(host.CancelTaken());
}

TEST_F(HeadlessFixture, BoxesGoToStderrAndAreAnsweredOk) {
  host.MessageBoxOk("line one\r\nline two", "info");
  EXPECT_TRUE(host.ConfirmOkCancel("キャンセルしますか？", "確認"));
  const std::string e = Contents(err);
  EXPECT_NE(e.find("[info]\nline one\r\nline two\n"), std::string::npos) << e;
  EXPECT_NE(e.find("[確認]\nキャンセルしますか？\n-> OK\n"), std::string::npos) << e;
  EXPECT_EQ(Contents(out), "");
}

TEST_F(HeadlessFixture, LogLinesGoToStdoutAndStatusStaysOffAPipe) {
  host.SetStatus("処理中");
  session.AddLog("a\r\nb");
  EXPECT_EQ(Contents(out), "a\nb\n");
  EXPECT_EQ(Contents(err), "");
}

struct TerminalFixture : HeadlessFixture {
  TerminalFixture() : HeadlessFixture(true) {}
};

TEST_F(TerminalFixture, StatusLineIsLiftedForEachLogLine) {
  host.SetStatus("処理中");
  session.AddLog("x");
  host.ClearStatusLine();
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
