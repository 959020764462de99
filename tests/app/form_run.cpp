// Runs in the window: busy and idle states of every control, the cancel confirmation taken nested
// inside a page wait, the top-level error handler after the closing steps, closing during a run, and
// auto mode. The index page serves no links, so every run here ends with discovery's error.
#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QtTest/QtTest>

#include "support/profile.h"
#include "tests/app/form_harness.h"

using namespace arl;
using namespace arl::test;

namespace {

const char* const kOptionControls[] = {
    "Memo1",          "Memo2",       "EditURL",     "EditLongTimeFormat", "EditFileHeadName", "EditGmtGap",
    "EditRetryLimit", "RadioGroup1", "RadioGroup2", "RadioGroup3",        "CheckBox1"};

constexpr char kIndex[] = "http://fx.test/free_forex_quotes/forex_history_arhiv.html";

struct ControlStates {
  bool button1Visible = false, button1Enabled = false, cancelVisible = false, cancelEnabled = false;
  bool cancelAtButton1 = false, anyOptionEnabled = true, allOptionsEnabled = false, panel1Enabled = false;
  QString status;
};

ControlStates Capture(FormHarness& h) {
  ControlStates s;
  auto* run = h.Get<QPushButton>("Button1");
  auto* cancel = h.Get<QPushButton>("CancelButton");
  s.button1Visible = run->isVisible();
  s.button1Enabled = run->isEnabled();
  s.cancelVisible = cancel->isVisible();
  s.cancelEnabled = cancel->isEnabled();
  s.cancelAtButton1 = cancel->x() == run->x();
  s.anyOptionEnabled = false;
  s.allOptionsEnabled = true;
  for (const char* name : kOptionControls) {
    bool on = h.Get(name)->isEnabled();
    s.anyOptionEnabled = s.anyOptionEnabled || on;
    s.allOptionsEnabled = s.allOptionsEnabled && on;
  }
  s.panel1Enabled = h.Get("Panel1")->isEnabled();
  s.status = h.Get<QStatusBar>("StatusBar1")->currentMessage();
  return s;
}

std::vector<std::string> LastLines(FormHarness& h, std::size_t n) {
  LineList lines = h.form->Memo1().Lines();
  if (lines.size() < n) return lines;
  return std::vector<std::string>(lines.end() - static_cast<std::ptrdiff_t>(n), lines.end());
}

}  // namespace

class FormRunTest : public QObject {
  Q_OBJECT

 private slots:
  void busyWhileRunningIdleAfterwardsAndTheErrorLast() {
    FormHarness h;
    FormConfig c = h.Config();
    c.timerIntervalMs = 10;
    TForm1& f = h.Make(c);
    h.Get<QLineEdit>("EditURL")->setText(QString::fromLatin1(kIndex));
    h.Get<QLineEdit>("EditGmtGap")->setText(QStringLiteral("-3"));
    ControlStates busy;
    std::string iniAtStart;
    h.browser.onNavigate = [&](const std::string& a) {
      if (a != kIndex) return;
      busy = Capture(h);
      iniAtStart = ReadFile(h.home / "autorateloom.ini");
    };
    ControlStates atError;
    std::vector<std::string> paneAtError;
    h.answer = [&](const BoxRequest& r) {
      if (r.kind == BoxRequest::Kind::Error) {
        atError = Capture(h);
        paneAtError = LastLines(h, 1);
      }
      return true;
    };
    f.show();
    QTRY_VERIFY(h.Get<QPushButton>("Button1")->isEnabled());
    QTest::mouseClick(h.Get<QPushButton>("Button1"), Qt::LeftButton);

    QVERIFY(!busy.button1Visible);
    QVERIFY(!busy.button1Enabled);
    QVERIFY(busy.cancelVisible);
    QVERIFY(busy.cancelEnabled);
    QVERIFY(busy.cancelAtButton1);
    QVERIFY(!busy.anyOptionEnabled);
    QVERIFY(!busy.panel1Enabled);
    QVERIFY(iniAtStart.find("EditGmtGap=-3") != std::string::npos);  // saved before the run's work
    QVERIFY(iniAtStart.find(std::string("EditURL=") + kIndex) != std::string::npos);

    QCOMPARE(h.boxes.size(), std::size_t{1});
    QCOMPARE(h.boxes[0].kind, BoxRequest::Kind::Error);
    QVERIFY(!h.boxes[0].text.empty());
    QVERIFY(atError.button1Visible && atError.button1Enabled);
    QVERIFY(!atError.cancelVisible && atError.cancelEnabled);
    QVERIFY(atError.allOptionsEnabled && atError.panel1Enabled);
    QCOMPARE(atError.status, QStringLiteral("処理完了"));
    QCOMPARE(paneAtError, std::vector<std::string>{"処理完了"});
    QCOMPARE(h.Log(), std::string("処理完了\r\n"));
    QVERIFY(f.isVisible());
  }

  void confirmedCancelStopsThePageWait() {
    FormHarness h;
    TForm1& f = h.Make();
    h.Get<QLineEdit>("EditURL")->setText(QString::fromLatin1(kIndex));
    h.browser.busyForever = true;
    h.browser.busyAddress = kIndex;
    bool requestedState = false;
    h.browser.onNavigate = [&](const std::string& a) {
      if (a != kIndex) return;
      QTimer::singleShot(30, &f, [&] {
        auto* cancel = h.Get<QPushButton>("CancelButton");
        cancel->click();
        // Cancel requested: the button stays in place, disabled, until the run has wound down.
        requestedState = !cancel->isHidden() && !cancel->isEnabled() && !f.GoOn();
      });
    };
    f.Button1Click();
    QVERIFY(requestedState);
    QCOMPARE(h.boxes.size(), std::size_t{2});
    QCOMPARE(h.boxes[0].kind, BoxRequest::Kind::OkCancel);
    QCOMPARE(h.boxes[0].text, std::string("キャンセルしますか？"));
    QCOMPARE(h.boxes[0].caption, std::string("確認"));
    QCOMPARE(h.boxes[1].kind, BoxRequest::Kind::Error);
    QCOMPARE(h.Log(), std::string("キャンセルします...\r\nキャンセルしました\r\n処理完了\r\n"));
    QCOMPARE(LastLines(h, 3),
             (std::vector<std::string>{"キャンセルします...", "キャンセルしました", "処理完了"}));
    QVERIFY(h.Get<QPushButton>("CancelButton")->isEnabled());
    QVERIFY(h.Get<QPushButton>("CancelButton")->isHidden());
  }

  void refusedCancelLeavesTheRunGoing() {
    FormHarness h;
    TForm1& f = h.Make();
    h.Get<QLineEdit>("EditURL")->setText(QString::fromLatin1(kIndex));
    h.browser.busyPolls = 20;
    h.answer = [](const BoxRequest& r) { return r.kind != BoxRequest::Kind::OkCancel; };
    bool stillGoing = false;
    h.browser.onNavigate = [&](const std::string& a) {
      if (a != kIndex) return;
      QTimer::singleShot(0, &f, [&] {
        h.Get<QPushButton>("CancelButton")->click();
        stillGoing = f.GoOn() && h.Get<QPushButton>("CancelButton")->isEnabled();
      });
    };
    f.Button1Click();
    QVERIFY(stillGoing);
    QCOMPARE(h.boxes.size(), std::size_t{2});
    QCOMPARE(h.browser.pollsLeft, 0);  // the wait ran to the page's end
    QCOMPARE(h.Log(), std::string("処理完了\r\n"));
  }

  void closingDuringARunWaitsForItsEnd() {
    FormHarness h;
    TForm1& f = h.Make();
    f.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f));
    h.Get<QLineEdit>("EditURL")->setText(QString::fromLatin1(kIndex));
    bool closedAtOnce = true, visibleAtError = false;
    h.browser.onNavigate = [&](const std::string& a) {
      if (a == kIndex) closedAtOnce = f.close();
    };
    h.answer = [&](const BoxRequest&) {
      visibleAtError = f.isVisible();
      return true;
    };
    f.Button1Click();
    QVERIFY(!closedAtOnce);
    QVERIFY(visibleAtError);
    QVERIFY(!f.isVisible());
    QCOMPARE(h.Log(), std::string("処理完了\r\n"));
  }

  void autoModeRunsAboutOneSecondAfterShowingAndCloses() {
    FormHarness h;
    WriteFile(h.home / "autorateloom.ini", std::string("[Form]\r\nEditURL=") + kIndex + "\r\n");
    FormConfig c = h.Config();
    c.args = {"auto"};
    TForm1& f = h.Make(c);
    QElapsedTimer clock;
    qint64 startedAfter = -1;
    h.browser.onNavigate = [&](const std::string& a) {
      if (a == kIndex) startedAfter = clock.elapsed();
    };
    bool visibleAtError = false;
    std::string logAtError;
    h.answer = [&](const BoxRequest&) {
      visibleAtError = f.isVisible();
      logAtError = h.Log();
      return true;
    };
    clock.start();
    f.show();
    QTRY_VERIFY_WITH_TIMEOUT(startedAfter >= 0, 5000);
    QTRY_VERIFY_WITH_TIMEOUT(!f.isVisible(), 5000);
    QVERIFY2(startedAfter >= 900 && startedAfter < 3000, QByteArray::number(startedAfter));
    QVERIFY(f.session().autoMode);
    QVERIFY(visibleAtError);  // the error is shown first; the window closes after it
    QCOMPARE(logAtError, std::string("処理完了\r\n"));
    QCOMPARE(h.browser.navigations.size(), std::size_t{2});  // no read-me in auto mode
  }
};

QTEST_MAIN(FormRunTest)
#include "form_run.moc"
