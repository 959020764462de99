// Runs in the window: busy and idle states of every control, the summary box at the end, the cancel
// confirmation taken while the run waits for a page (not for a double-click's second click), the
// top-level error handler after the closing steps, and closing during a run.
#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QtTest/QtTest>
#include <atomic>

#include "support/profile.h"
#include "tests/app/control_states.h"

using namespace arl;
using namespace arl::test;

namespace {

std::vector<std::string> LastLines(FormHarness& h, std::size_t n) {
  LineList lines = h.form->LogPane().Lines();
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
      OnWindowThread(f, [&] {
        busy = Capture(h);
        iniAtStart = ReadFile(h.home / "autorateloom.ini");
      });
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
    QVERIFY(h.RunToItsEnd([&] { QTest::mouseClick(h.Get<QPushButton>("Button1"), Qt::LeftButton); }));

    QVERIFY(!busy.button1Visible);
    QVERIFY(!busy.button1Enabled);
    QVERIFY(busy.cancelVisible);
    QVERIFY(busy.cancelEnabled);
    QVERIFY(busy.cancelAtButton1);
    QVERIFY(!busy.anyOptionEnabled);
    QVERIFY(busy.panesReadable);
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

  void aManualRunShowsItsSummaryInABoxThatBlocksNothing() {
    FormHarness h;
    TForm1& f = h.Make();
    h.Get<QLineEdit>("EditURL")->setText(QString::fromLatin1(kIndex));
    f.show();
    QVERIFY(h.RunToItsEnd());
    auto* box = f.findChild<QDialog*>(QStringLiteral("SummaryBox"));
    QVERIFY(box && box->isVisible() && !box->isModal() && !QApplication::activeModalWidget());
    QCOMPARE(box->windowTitle(), QStringLiteral("実行結果"));
    const QString shown = box->findChild<QPlainTextEdit*>()->toPlainText();
    QVERIFY(shown.startsWith(QStringLiteral("----- 今回の実行結果 -----\n")));
    QVERIFY(
        h.Log().ends_with(QString(shown).replace(QLatin1Char('\n'), QStringLiteral("\r\n")).toStdString() +
                          "\r\n処理完了\r\n"));
    // With the box open the window takes the next run, whose summary takes the same box.
    QVERIFY(h.RunToItsEnd([&] { QTest::mouseClick(h.Get<QPushButton>("Button1"), Qt::LeftButton); }));
    QCOMPARE(f.findChildren<QDialog*>(QStringLiteral("SummaryBox")).size(), 1);
  }

  void confirmedCancelStopsThePageWait() {
    FormHarness h;
    TForm1& f = h.Make();
    h.Get<QLineEdit>("EditURL")->setText(QString::fromLatin1(kIndex));
    h.browser.busyForever = true;
    h.browser.busyAddress = kIndex;
    std::atomic<bool> atIndex = false;
    h.browser.onNavigate = [&](const std::string& a) { atIndex = atIndex || a == kIndex; };
    auto* cancel = h.Get<QPushButton>("CancelButton");
    QVERIFY(h.RunToItsEnd([&] {
      f.Button1Click();
      QTRY_VERIFY(atIndex && !cancel->isHidden());
      h.PastDoubleClick();
      cancel->click();
      // Cancel requested: the button stays in place, disabled, until the run has wound down.
      QVERIFY(!cancel->isHidden() && !cancel->isEnabled());
    }));
    QCOMPARE(h.browser.waitsCut.load(), 1);  // the page that never loads let the run go
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
    QVERIFY(cancel->isEnabled());
    QVERIFY(cancel->isHidden());
    QVERIFY(f.session().GoOn());  // re-armed for the next run
  }

  void aCancelClickWithinADoubleClickOfTheStartIsIgnored() {
    FormHarness h;
    TForm1& f = h.Make();
    h.Get<QLineEdit>("EditURL")->setText(QString::fromLatin1(kIndex));
    h.browser.busyForever = true;
    h.browser.busyAddress = kIndex;
    const int interval = QApplication::doubleClickInterval();
    QApplication::setDoubleClickInterval(1000);  // time for a loaded machine to show 中止
    auto* cancel = h.Get<QPushButton>("CancelButton");
    std::size_t boxesAfterFirstClick = 1;
    QVERIFY(h.RunToItsEnd([&] {
      f.Button1Click();
      QTRY_VERIFY(!cancel->isHidden());
      cancel->click();
      boxesAfterFirstClick = h.boxes.size();
      h.PastDoubleClick();
      cancel->click();
    }));
    QCOMPARE(boxesAfterFirstClick, std::size_t{0});
    QCOMPARE(h.boxes.size(), std::size_t{1});  // the question, after the second click
    QApplication::setDoubleClickInterval(interval);
  }

  void refusedCancelLeavesTheRunGoing() {
    FormHarness h;
    TForm1& f = h.Make();
    h.Get<QLineEdit>("EditURL")->setText(QString::fromLatin1(kIndex));
    h.browser.waitMs = 1000;
    h.answer = [](const BoxRequest& r) { return r.kind != BoxRequest::Kind::OkCancel; };
    std::atomic<bool> atIndex = false;
    h.browser.onNavigate = [&](const std::string& a) { atIndex = atIndex || a == kIndex; };
    bool stillGoing = false;
    QVERIFY(h.RunToItsEnd([&] {
      f.Button1Click();
      QTRY_VERIFY(atIndex);
      h.PastDoubleClick();
      h.Get<QPushButton>("CancelButton")->click();
      stillGoing = f.session().GoOn() && h.Get<QPushButton>("CancelButton")->isEnabled();
    }));
    QVERIFY(stillGoing);
    QCOMPARE(h.boxes.size(), std::size_t{2});
    QCOMPARE(h.boxes[1].kind, BoxRequest::Kind::Error);  // the run went on to discovery's error
    QCOMPARE(h.browser.waitsCut.load(), 0);              // the wait ran to the page's end
    QCOMPARE(WithoutSummary(h.Log()), h.boxes[1].text + "\r\n処理完了\r\n");
  }

  void closingDuringARunWaitsForItsEnd() {
    FormHarness h;
    TForm1& f = h.Make();
    f.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f));
    h.Get<QLineEdit>("EditURL")->setText(QString::fromLatin1(kIndex));
    h.browser.waitMs = 500;
    std::atomic<bool> atIndex = false;
    h.browser.onNavigate = [&](const std::string& a) { atIndex = atIndex || a == kIndex; };
    bool closedAtOnce = true, visibleAtLastBox = false, visibleAtEnd = false;
    h.answer = [&](const BoxRequest&) {
      visibleAtLastBox = f.isVisible();
      return true;
    };
    connect(&f, &TForm1::RunEnded, [&] { visibleAtEnd = f.isVisible(); });
    QVERIFY(h.RunToItsEnd([&] {
      f.Button1Click();
      QTRY_VERIFY(atIndex);
      closedAtOnce = f.close();
    }));
    QVERIFY(!closedAtOnce);
    QCOMPARE(h.boxes.size(), std::size_t{1});
    QCOMPARE(h.boxes[0].text, std::string("キャンセルしますか？"));
    QVERIFY(visibleAtLastBox);
    QVERIFY(visibleAtEnd);
    QTRY_VERIFY(!f.isVisible());
    QVERIFY(h.Log().ends_with("キャンセルしました\r\n処理完了\r\n"));
  }

  void closingConfirmedAfterTheRunEndedClosesAtOnce() {
    FormHarness h;
    TForm1& f = h.Make();
    f.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f));
    h.Get<QLineEdit>("EditURL")->setText(QString::fromLatin1(kIndex));
    h.browser.waitMs = 300;
    std::atomic<bool> atIndex = false;
    h.browser.onNavigate = [&](const std::string& a) { atIndex = atIndex || a == kIndex; };
    // The user answers the question only after the run has ended by itself.
    h.answer = [&](const BoxRequest& r) {
      return r.kind != BoxRequest::Kind::OkCancel || QTest::qWaitFor([&] { return !f.Running(); }, 5000);
    };
    bool closed = false;
    QVERIFY(h.RunToItsEnd([&] {
      f.Button1Click();
      QTRY_VERIFY(atIndex);
      closed = f.close();
    }));
    QVERIFY(closed);
    QVERIFY(!f.isVisible());
  }
};

QTEST_MAIN(FormRunTest)
#include "form_run.moc"
