// The run's frame: the order of its steps around year discovery and the merge, the closing steps
// that always run, the cancel confirmation, and the run-wide formats.
#include "run/run_control.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/errors.h"
#include "support/text.h"
#include "tests/common/fake_host.h"

namespace arl::test {
namespace {

constexpr char kIndex[] = "http://fx.test/free_forex_quotes/forex_history_arhiv.html";

// A host that writes every frame event into one journal, so the order of steps can be checked.
class JournalHost : public FakeHost {
 public:
  void SaveSettings() override {
    journal.push_back("save");
    if (failSave) throw EInOutError("settings file locked");
  }
  void EnterBusyUi() override {
    journal.push_back("enter");
    FakeHost::EnterBusyUi();
  }
  void LeaveBusyUi() override {
    journal.push_back("leave");
    FakeHost::LeaveBusyUi();
  }
  void SetStatus(std::string_view text) override {
    journal.push_back("status " + std::string(text));
    FakeHost::SetStatus(text);
  }
  void OnLogged(std::string_view line) override {
    journal.push_back("log " + std::string(line));
    FakeHost::OnLogged(line);
  }
  void RequestClose() override {
    journal.push_back("close");
    FakeHost::RequestClose();
  }
  std::vector<std::string> journal;
  bool failSave = false;
};

struct RunFixture : ::testing::Test {
  RunFixture() : session(host, fs.browser, fs.downloader, fs.session.paths) {
    session.sleep = [](int) {};
    host.options.EditURL = kIndex;
  }
  // An index page whose newest zip link is of 2012 and whose only year page is 2011's.
  void ServeSmallSite() {
    const std::string y2011 = "http://fx.test/free_forex_quotes/forex_history_arhiv_2011.html";
    fs.browser.pages[kIndex] = {"http://fx.test/free_forex_quotes/2012/030112.zip", y2011};
    fs.browser.pages[y2011] = {};
  }
  std::string Log() const { return fs.LogText(); }

  FakeSession fs;
  JournalHost host;
  Session session;
};

TEST_F(RunFixture, StepsRunInOrderAndTheErrorComesAfterTheClosingSteps) {
  // The index page yields no links: discovery fails, and the frame still closes the run.
  session.autoMode = true;
  session.LatestYear = "2011";
  EXPECT_THROW(Button1Click(session), Exception);
  // Discovery's own status texts are its business; the frame's steps must surround them.
  std::vector<std::string> frame;
  for (const auto& e : host.journal)
    if (e.rfind("status ", 0) != 0 || e == "status 処理完了") frame.push_back(e);
  EXPECT_EQ(frame,
            (std::vector<std::string>{"save", "enter", "leave", "status 処理完了", "log 処理完了", "close"}));
  EXPECT_EQ(session.LatestYear, "-1");
  EXPECT_EQ(fs.browser.navigations, std::vector<std::string>{kIndex});
  EXPECT_EQ(Log(), "処理完了\r\n");
}

TEST_F(RunFixture, ManualModeDoesNotClose) {
  EXPECT_THROW(Button1Click(session), Exception);
  EXPECT_FALSE(host.closeRequested);
  EXPECT_FALSE(host.busy);
}

TEST_F(RunFixture, FailedSettingsSaveStillClosesTheRunAndReportsTheSaveError) {
  host.failSave = true;
  session.autoMode = true;
  try {
    Button1Click(session);
    FAIL() << "the save error must reach the top-level handler";
  } catch (const EInOutError& e) {
    EXPECT_STREQ(e.what(), "settings file locked");
  }
  EXPECT_TRUE(fs.browser.navigations.empty());
  EXPECT_EQ(host.journal.back(), "close");
  EXPECT_EQ(Log(), "処理完了\r\n");
}

TEST_F(RunFixture, CancelDuringTheIndexWaitLogsCancelledThenDone) {
  host.CancelAtPump(1);
  EXPECT_THROW(Button1Click(session), Exception);  // the empty link list ends discovery
  EXPECT_EQ(Log(), "キャンセルしました\r\n処理完了\r\n");
  EXPECT_TRUE(host.goOn) << "the idle state sets the go-on flag again";
}

TEST_F(RunFixture, MergeRunsAfterACancelAndWhenTicked) {
  ServeSmallSite();
  host.options.CheckBox1 = true;
  // Cancel as soon as the year page of 2011 is being waited for.
  host.onPump = [this](int) {
    if (fs.browser.current.find("arhiv_2011") != std::string::npos) host.goOn = false;
  };
  EXPECT_NO_THROW(Button1Click(session));
  const std::string log = Log();
  const auto merge = log.find("全ての年を結合するMerge.txtを作成します");
  const auto cancelled = log.find("キャンセルしました");
  ASSERT_NE(merge, std::string::npos) << log;
  ASSERT_NE(cancelled, std::string::npos) << log;
  EXPECT_LT(merge, cancelled);
  EXPECT_TRUE(log.ends_with("キャンセルしました\r\n処理完了\r\n")) << log;
}

TEST_F(RunFixture, NoMergeWhenNotTicked) {
  ServeSmallSite();
  host.onPump = [this](int) {
    if (fs.browser.current.find("arhiv_2011") != std::string::npos) host.goOn = false;
  };
  EXPECT_NO_THROW(Button1Click(session));
  EXPECT_EQ(Log().find("Merge.txt"), std::string::npos);
}

TEST_F(RunFixture, LostLogFileNeitherLeavesTheWindowBusyNorHidesTheRunError) {
  std::filesystem::remove(session.paths.LogPath);
  session.autoMode = true;
  try {
    Button1Click(session);
    FAIL();
  } catch (const EInOutError&) {
    FAIL() << "the run's own error comes first";
  } catch (const Exception& e) {
    EXPECT_EQ(std::string(e.what()).find("log"), std::string::npos) << e.what();
  }
  EXPECT_FALSE(host.busy);
  EXPECT_TRUE(host.closeRequested);
  EXPECT_EQ(host.status, "処理完了");
  EXPECT_EQ(host.memo1.lines.back(), "処理完了") << "the pane gets the message before the file fails";
}

TEST_F(RunFixture, LostLogFileAloneIsReportedAfterTheClosingSteps) {
  ServeSmallSite();
  host.onPump = [this](int) {
    if (fs.browser.current.find("arhiv_2011") != std::string::npos) {
      host.goOn = false;
      std::filesystem::remove(session.paths.LogPath);
    }
  };
  EXPECT_THROW(Button1Click(session), EInOutError);
  EXPECT_FALSE(host.busy);
  EXPECT_EQ(host.memo1.lines.back(), "処理完了");
}

TEST_F(RunFixture, CancelConfirmation) {
  host.confirmAnswers = {false, true};
  EXPECT_FALSE(CancelButtonClick(session));
  EXPECT_TRUE(host.goOn);
  EXPECT_EQ(Log(), "");

  EXPECT_TRUE(CancelButtonClick(session));
  EXPECT_FALSE(host.goOn);
  EXPECT_EQ(Log(), "キャンセルします...\r\n");
  EXPECT_EQ(host.messageBoxes, (std::vector<std::string>{"キャンセルしますか？", "キャンセルしますか？"}));
  EXPECT_EQ(host.captions, (std::vector<std::string>{"確認", "確認"}));
}

TEST(RunFormats, DateSeparatorAndTimeFormatFollowTheOptions) {
  OptionValues o;
  o.EditLongTimeFormat = "hh:nn";
  for (auto [index, separator] : {std::pair{0, '/'}, {1, '-'}, {-1, '-'}}) {
    o.RadioGroup2 = index;
    FormatSettings f = RunFormats(o);
    EXPECT_EQ(f.DateSeparator, separator) << index;
    EXPECT_EQ(f.ShortDateFormat, "yyyy/mm/dd");
    EXPECT_EQ(f.LongTimeFormat, "hh:nn");
    EXPECT_EQ(f.TimeSeparator, ':');
  }
}

TEST_F(RunFixture, TheRunFixesTheFormatsFromTheOptionsItSaved) {
  host.options.RadioGroup2 = 1;
  host.options.EditLongTimeFormat = "hh:nn";
  EXPECT_THROW(Button1Click(session), Exception);
  EXPECT_EQ(session.formats.DateSeparator, '-');
  EXPECT_EQ(session.formats.LongTimeFormat, "hh:nn");
}

}  // namespace
}  // namespace arl::test
