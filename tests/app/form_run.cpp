// Runs in the window: busy and idle states of every control, the cancel confirmation taken nested
// inside a page wait, the top-level error handler after the closing steps, and closing during a run.
#include <QLineEdit>
#include <QtTest/QtTest>

#include "support/profile.h"
#include "tests/app/control_states.h"

using namespace arl;
using namespace arl::test;

namespace {

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
    QVERIFY(atError.Idle());
    QCOMPARE(atError.status, QStringLiteral("処理完了"));
    QCOMPARE(paneAtError, std::vector<std::string>{"処理完了"});
    // The box's text is logged before the summary, which lists it as the run's failure.
    QCOMPARE(WithoutSummary(h.Log()), h.boxes[0].text + "\r\n処理完了\r\n");
    QVERIFY(h.Log().find("失敗 : 1 件\r\n× " + h.boxes[0].text + "\r\n") != std::string::npos);
    QVERIFY(f.LastRunFailed());
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
    // A cancel is no error: the question is the only box.
    QCOMPARE(h.boxes.size(), std::size_t{1});
    QCOMPARE(h.boxes[0].kind, BoxRequest::Kind::OkCancel);
    QCOMPARE(h.boxes[0].text, std::string("キャンセルしますか？"));
    QCOMPARE(h.boxes[0].caption, std::string("確認"));
    QVERIFY(!f.LastRunFailed());
    QCOMPARE(WithoutSummary(h.Log()),
             std::string("キャンセルします...\r\nキャンセルしました\r\n処理完了\r\n"));
    QVERIFY(h.Log().find("失敗 : なし\r\nキャンセルしました\r\n") != std::string::npos);
    QCOMPARE(LastLines(h, 2), (std::vector<std::string>{"キャンセルしました", "処理完了"}));
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
    QCOMPARE(h.boxes[1].kind, BoxRequest::Kind::Error);  // the run went on to discovery's error
    QCOMPARE(h.browser.pollsLeft, 0);                    // the wait ran to the page's end
    QCOMPARE(WithoutSummary(h.Log()), h.boxes[1].text + "\r\n処理完了\r\n");
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
    QVERIFY(h.Log().ends_with("処理完了\r\n"));
  }
};

QTEST_MAIN(FormRunTest)
#include "form_run.moc"
