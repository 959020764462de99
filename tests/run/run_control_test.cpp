// The run's frame: the order of its steps around year discovery and the merge, the closing steps
// that always run, the cancel request, and the run-wide formats.
#include "run/run_control.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "support/errors.h"
#include "support/home_lock.h"
#include "support/text.h"
#include "tests/common/fake_host.h"

namespace arl::test {
namespace {

constexpr char kIndex[] = "http://fx.test/free_forex_quotes/forex_history_arhiv.html";

// Events that go into one journal too, so that the order of the run's steps can be checked.
class JournalEvents : public FakeEvents {
 public:
  void SaveSettings() override {
    journal.push_back("save");
    if (failSave) throw EInOutError("settings file locked");
  }
  void BusyChanged(bool busy) override {
    journal.push_back(busy ? "enter" : "leave");
    FakeEvents::BusyChanged(busy);
  }
  void StatusChanged(std::string_view text) override {
    journal.push_back("status " + std::string(text));
    FakeEvents::StatusChanged(text);
  }
  void Logged(std::string_view line) override {
    journal.push_back("log " + std::string(line));
    FakeEvents::Logged(line);
  }
  std::vector<std::string> journal;
  bool failSave = false;
};

struct RunFixture : ::testing::Test {
  RunFixture() : session(host, fs.browser, fs.downloader, fs.session.paths) {
    session.optionValues.EditURL = kIndex;
  }
  // An index page whose newest zip link is of 2012 and whose only year page is 2011's.
  void ServeSmallSite() {
    const std::string y2011 = "http://fx.test/free_forex_quotes/forex_history_arhiv_2011.html";
    fs.browser.pages[kIndex] = {"http://fx.test/free_forex_quotes/2012/030112.zip", y2011};
    fs.browser.pages[y2011] = {};
  }
  std::string Log() const { return WithoutSummary(fs.LogText()); }

  FakeSession fs;
  JournalEvents host;
  Session session;
};

TEST_F(RunFixture, StepsRunInOrderAndTheErrorComesAfterTheClosingSteps) {
  // The index page yields no links: discovery fails, and the frame still closes the run.
  session.autoMode = true;
  session.LatestYear = "2011";
  EXPECT_THROW(RunOnce(session, session.optionValues), Exception);
  // Discovery's own status texts are its business; the frame's steps must surround them.
  std::vector<std::string> frame;
  for (const auto& e : host.journal)
    if ((!e.starts_with("status ") && !e.starts_with("log ")) || e.ends_with(" 処理完了")) frame.push_back(e);
  EXPECT_EQ(frame, (std::vector<std::string>{"save", "enter", "leave", "status 処理完了", "log 処理完了"}));
  EXPECT_EQ(session.LatestYear, "-1");
  EXPECT_EQ(fs.browser.navigations, std::vector<std::string>{kIndex});
  // The error's text is logged before the summary, so an unattended run leaves it on record.
  EXPECT_EQ(
      Log(),
      "インデックスページ " + std::string(kIndex) +
          " に日ごとのアーカイブへのリンクがありません (サイトのレイアウトが変わった可能性があります)\r\n"
          "処理完了\r\n");
  EXPECT_TRUE(session.outcome.Failed());
}

TEST_F(RunFixture, FailedSettingsSaveStillClosesTheRunAndReportsTheSaveError) {
  host.failSave = true;
  session.autoMode = true;
  try {
    RunOnce(session, session.optionValues);
    FAIL() << "the save error must reach the top-level handler";
  } catch (const EInOutError& e) {
    EXPECT_STREQ(e.what(), "settings file locked");
  }
  EXPECT_TRUE(fs.browser.navigations.empty());
  EXPECT_EQ(host.journal.back(), "log 処理完了");
  EXPECT_EQ(Log(), "settings file locked\r\n処理完了\r\n");
}

TEST_F(RunFixture, CancelDuringTheIndexWaitLogsCancelledThenDone) {
  fs.browser.onWait = [this] { session.cancel.Cancel(); };
  EXPECT_NO_THROW(RunOnce(session, session.optionValues));  // a page that was not waited for tells nothing
  EXPECT_EQ(Log(), "キャンセルしました\r\n処理完了\r\n");
  EXPECT_FALSE(session.outcome.Failed());
  EXPECT_TRUE(session.GoOn()) << "the end of the run re-arms the token";
}

TEST_F(RunFixture, MergeRunsAfterACancelAndWhenTicked) {
  ServeSmallSite();
  session.optionValues.CheckBox1 = true;
  // Cancel as soon as the year page of 2011 is being waited for.
  fs.browser.onWait = [this] {
    if (fs.browser.current.find("arhiv_2011") != std::string::npos) session.cancel.Cancel();
  };
  EXPECT_NO_THROW(RunOnce(session, session.optionValues));
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
  fs.browser.onWait = [this] {
    if (fs.browser.current.find("arhiv_2011") != std::string::npos) session.cancel.Cancel();
  };
  EXPECT_NO_THROW(RunOnce(session, session.optionValues));
  EXPECT_EQ(Log().find("Merge.txt"), std::string::npos);
}

TEST_F(RunFixture, LostLogFileNeitherLeavesTheWindowBusyNorHidesTheRunError) {
  std::filesystem::remove(session.paths.LogPath);
  session.autoMode = true;
  try {
    RunOnce(session, session.optionValues);
    FAIL();
  } catch (const EInOutError&) {
    FAIL() << "the run's own error comes first";
  } catch (const Exception& e) {
    EXPECT_EQ(std::string(e.what()).find("log"), std::string::npos) << e.what();
  }
  EXPECT_FALSE(host.busy);
  EXPECT_EQ(host.status, "処理完了");
  EXPECT_EQ(host.logPane.back(), "処理完了") << "the pane gets the message before the file fails";
}

TEST_F(RunFixture, LostLogFileAloneIsReportedAfterTheClosingSteps) {
  ServeSmallSite();
  fs.browser.onWait = [this] {
    if (fs.browser.current.find("arhiv_2011") != std::string::npos) {
      session.cancel.Cancel();
      std::filesystem::remove(session.paths.LogPath);
    }
  };
  EXPECT_THROW(RunOnce(session, session.optionValues), EInOutError);
  EXPECT_FALSE(host.busy);
  EXPECT_EQ(host.logPane.back(), "処理完了");
}

TEST_F(RunFixture, OptionsThatCannotBeUsedEndTheRunBeforeAnyPageIsLoaded) {
  struct Case {
    const char* key;
    std::string OptionValues::*field;
    std::string value, message;
  };
  const std::vector<Case> cases = {
      {"EditGmtGap", &OptionValues::EditGmtGap, "abc",
       "「GMT +1:00 から ずらす量」(EditGmtGap) の値 \"abc\" は整数ではありません。-23 から 23 "
       "までの整数を指定してください"},
      {"EditGmtGap", &OptionValues::EditGmtGap, "24",
       "「GMT +1:00 から ずらす量」(EditGmtGap) の値 \"24\" は範囲外です。-23 から 23 "
       "までの整数を指定してください"},
      {"EditRetryLimit", &OptionValues::EditRetryLimit, "x",
       "「DL失敗時のリトライ回数」(EditRetryLimit) の値 \"x\" は整数ではありません。1 "
       "以上の整数を指定してください"},
      {"EditRetryLimit", &OptionValues::EditRetryLimit, "0",
       "「DL失敗時のリトライ回数」(EditRetryLimit) の値 \"0\" は範囲外です。1 以上の整数を指定してください"},
      {"EditLongTimeFormat", &OptionValues::EditLongTimeFormat, " ",
       "「時刻の書式 ※hh:nn:ssで指定」(EditLongTimeFormat) が空です。hh:nn:ss のように指定してください"},
      {"EditFileHeadName", &OptionValues::EditFileHeadName, "../x_",
       "「ファイル名の前に付けたい文字などあれば指定」(EditFileHeadName) の値 \"../x_\" に / は使えません"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.key + std::string("=") + c.value);
    session.optionValues = OptionValues{};
    session.optionValues.EditURL = kIndex;
    session.optionValues.*c.field = c.value;
    std::filesystem::resize_file(session.paths.LogPath, 0);
    try {
      RunOnce(session, session.optionValues);
      ADD_FAILURE() << "the run went on";
    } catch (const EOptionError& e) {
      EXPECT_EQ(e.what(), c.message);
    }
    EXPECT_TRUE(fs.browser.navigations.empty());
    EXPECT_EQ(Log(), c.message + "\r\n処理完了\r\n");
    EXPECT_TRUE(session.outcome.Failed());
  }
  // Blanks around a number are no mistake.
  session.optionValues = OptionValues{};
  session.optionValues.EditGmtGap = " -6 ";
  EXPECT_EQ(ParseRunOptions(session.optionValues).shiftHours, -6);
}

TEST_F(RunFixture, ASecondRunOnTheSameHomeDoesNotStartAndChangesNothing) {
  ServeSmallSite();
  {
    const HomeLock other(session.paths.LockPath, session.paths.AppDir);
    try {
      RunOnce(session, session.optionValues);
      ADD_FAILURE() << "the second run started";
    } catch (const EHomeBusy& e) {
      const std::string expected = "別の実行 (プロセスID " + std::to_string(::getpid()) + ") が " +
                                   session.paths.AppDir +
                                   " を使用中なので、実行しませんでした。終わってから実行してください";
      EXPECT_EQ(e.what(), expected);
      EXPECT_EQ(fs.LogText(), expected + "\r\n") << "the refusal is on record, nothing else";
    }
    EXPECT_EQ(host.journal,
              std::vector<std::string>{"log " + fs.LogText().substr(0, fs.LogText().size() - 2)});
    EXPECT_TRUE(fs.browser.navigations.empty());
  }
  // Once the other run has let go, a run starts; and it lets go itself when it ends.
  EXPECT_NO_THROW(RunOnce(session, session.optionValues));
  EXPECT_FALSE(fs.browser.navigations.empty());
  EXPECT_NO_THROW(HomeLock(session.paths.LockPath, session.paths.AppDir));
  EXPECT_EQ(ReadFile(session.paths.LockPath), "") << "no process id stays behind";
}

TEST(RunOutcomeTest, TheSummaryCountsWhatWasDoneAndGivesEachFailureOneLine) {
  RunOutcome o;
  EXPECT_EQ(
      o.Summary(),
      "----- 今回の実行結果 -----\r\nダウンロードしたアーカイブ : 0 件 (0.0 MB)\r\n完了した年 : なし\r\n"
      "更新した通貨年ファイル : 0 件\r\n書き出したマージファイル : 0 件\r\n失敗 : なし");
  o.ArchiveDownloaded(1 << 20);
  o.ArchiveDownloaded(1 << 19);
  o.YearFailed("2010", "2010年 first\r\nsecond line");
  o.YearFailed("2010", "a later reason of the same year");
  o.YearFailed("2009", "2009年 failed once");
  o.YearCompleted("2009");  // completed later in the run: its failure is gone
  o.YearCompleted("2011");
  o.YearFileUpdated("EURUSD", "2011");
  o.YearFileUpdated("EURUSD", "2011");
  o.YearFileUpdated("USDJPY", "2011");
  o.TickerFailed("GBPXXX", "GBPXXX not found");
  o.MergeFileWritten("EURUSD");
  EXPECT_TRUE(o.Failed());
  EXPECT_TRUE(o.TickerHasFailed("GBPXXX"));
  EXPECT_EQ(o.Summary(),
            "----- 今回の実行結果 -----\r\nダウンロードしたアーカイブ : 2 件 (1.5 MB)\r\n完了した年 : 2009, "
            "2011\r\n"
            "更新した通貨年ファイル : 2 件\r\n書き出したマージファイル : 1 件\r\n失敗 : 2 件\r\n"
            "× 2010年 first second line\r\n× GBPXXX not found");
  o.Reset();
  EXPECT_FALSE(o.Failed());
}

TEST_F(RunFixture, ACancelRequestIsTakenOnlyWhileTheRunTakesCancelsAndOnlyOnce) {
  EXPECT_FALSE(RequestCancel(session)) << "no run";
  EXPECT_TRUE(session.GoOn());
  ServeSmallSite();
  int requests = 0;
  fs.browser.onWait = [&] { requests += RequestCancel(session) + RequestCancel(session); };
  RunOnce(session, session.optionValues);
  EXPECT_EQ(requests, 1);
  EXPECT_TRUE(Log().ends_with("キャンセルします...\r\nキャンセルしました\r\n処理完了\r\n")) << Log();
  // After the run has decided: nothing taken, nothing logged, and the next run begins afresh.
  EXPECT_FALSE(RequestCancel(session));
  fs.browser.onWait = nullptr;
  RunOnce(session, session.optionValues);
  EXPECT_GE(fs.browser.navigations.size(), 3u);
  EXPECT_EQ(std::count(host.logged.begin(), host.logged.end(), "キャンセルします..."), 1);
}

TEST(RunFormats, DateSeparatorAndTimeFormatFollowTheOptions) {
  OptionValues o;
  o.EditLongTimeFormat = "hh:nn";
  for (auto [index, separator] : {std::pair{0, '/'}, {1, '-'}, {-1, '-'}}) {
    o.RadioGroup2 = index;
    FormatSettings f = RunFormats(ParseRunOptions(o));
    EXPECT_EQ(f.DateSeparator, separator) << index;
    EXPECT_EQ(f.ShortDateFormat, "yyyy/mm/dd");
    EXPECT_EQ(f.LongTimeFormat, "hh:nn");
    EXPECT_EQ(f.TimeSeparator, ':');
  }
}

TEST_F(RunFixture, TheRunFixesTheFormatsFromTheOptionsItSaved) {
  session.optionValues.RadioGroup2 = 1;
  session.optionValues.EditLongTimeFormat = "hh:nn";
  EXPECT_THROW(RunOnce(session, session.optionValues), Exception);
  EXPECT_EQ(session.formats.DateSeparator, '-');
  EXPECT_EQ(session.formats.LongTimeFormat, "hh:nn");
}

}  // namespace
}  // namespace arl::test
