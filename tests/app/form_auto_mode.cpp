// Auto mode in the window: the run about one second after showing, the close after it, real boxes
// with only OK that close themselves while the cancel question waits for its answer, and the run's
// verdict that becomes the exit status.
#include <QApplication>
#include <QMessageBox>
#include <QtTest/QtTest>
#include <atomic>

#include "tests/app/control_states.h"

using namespace arl;
using namespace arl::test;

namespace {

// Polls for the real modal box: how many came up, the first one's text and how long it stayed.
struct BoxWatch {
  QTimer timer;
  QElapsedTimer clock;
  int count = 0;
  QString text;
  qint64 shownAt = -1, goneAt = -1;
  std::function<void(QMessageBox*)> onFirst;
  QWidget* last = nullptr;

  BoxWatch() {
    clock.start();
    QObject::connect(&timer, &QTimer::timeout, [this] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (box && box != last && ++count == 1) {
        shownAt = clock.elapsed();
        text = box->text();
        QObject::connect(box, &QDialog::finished, [this] { goneAt = clock.elapsed(); });
        if (onFirst) onFirst(box);
      }
      last = box;
    });
    timer.start(5);
  }
};

FormConfig AutoConfig(FormHarness& h, bool realBoxes) {
  WriteFile(h.home / "autorateloom.ini", std::string("[Form]\r\nEditURL=") + kIndex + "\r\n");
  FormConfig c = h.Config();
  c.args = {"auto"};
  if (realBoxes) {
    c.boxHook = nullptr;
    c.timerIntervalMs = 10;
    c.autoOkBoxCloseMs = 200;
  }
  return c;
}

}  // namespace

class FormAutoModeTest : public QObject {
  Q_OBJECT

 private slots:
  void runsAboutOneSecondAfterShowingAndCloses() {
    FormHarness h;
    TForm1& f = h.Make(AutoConfig(h, false));
    QElapsedTimer clock;
    std::atomic<qint64> startedAfter = -1;
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
    QVERIFY2(startedAfter >= 900 && startedAfter < 3000, QByteArray::number(startedAfter.load()));
    QVERIFY(f.session().autoMode);
    QVERIFY(visibleAtError);  // the error is shown first; the window closes after it
    QCOMPARE(h.boxes.size(), std::size_t{1});
    QCOMPARE(WithoutSummary(logAtError), h.boxes[0].text + "\r\n処理完了\r\n");
    QVERIFY(f.LastRunFailed());                                     // exit status 1
    QCOMPARE(h.browser.navigations.size(), std::size_t{2});         // no read-me in auto mode
    QVERIFY(!f.findChild<QDialog*>(QStringLiteral("SummaryBox")));  // nobody is left to read it
  }

  void theErrorBoxClosesItselfAndTheWindowFollows() {
    FormHarness h;
    TForm1& f = h.Make(AutoConfig(h, true));
    BoxWatch watch;
    bool rescued = false;  // a box that stays would hold the test in its loop
    watch.onFirst = [&](QMessageBox* box) {
      QTimer::singleShot(3000, box, [&, box] {
        rescued = true;
        box->button(QMessageBox::Ok)->click();
      });
    };
    f.show();
    QTRY_VERIFY_WITH_TIMEOUT(!f.isVisible(), 5000);
    QVERIFY(!rescued);
    QCOMPARE(watch.count, 1);
    QVERIFY(watch.goneAt >= 0);
    QVERIFY2(watch.goneAt - watch.shownAt >= 150, QByteArray::number(watch.goneAt - watch.shownAt));
    QCOMPARE(WithoutSummary(h.Log()), watch.text.toStdString() + "\r\n処理完了\r\n");
    QVERIFY(f.LastRunFailed());
  }

  void theCancelQuestionWaitsForItsAnswer() {
    FormHarness h;
    TForm1& f = h.Make(AutoConfig(h, true));
    h.browser.busyForever = true;
    h.browser.busyAddress = kIndex;
    h.browser.onNavigate = [&](const std::string& a) {
      if (a != kIndex) return;
      // Later than a double-click's time after the start, or the click is not taken.
      QMetaObject::invokeMethod(&f, [&] {
        QTimer::singleShot(QApplication::doubleClickInterval() + 30, &f,
                           [&] { h.Get<QPushButton>("CancelButton")->click(); });
      });
    };
    BoxWatch watch;
    bool upAfterThreeDelays = false;
    watch.onFirst = [&](QMessageBox* box) {
      QTimer::singleShot(600, box, [&, box] {
        upAfterThreeDelays = QApplication::activeModalWidget() == box;
        box->button(QMessageBox::Ok)->click();
      });
    };
    f.show();
    QTRY_VERIFY_WITH_TIMEOUT(!f.isVisible(), 5000);
    QVERIFY(upAfterThreeDelays);
    QCOMPARE(watch.text, QStringLiteral("キャンセルしますか？"));
    QCOMPARE(watch.count, 1);  // no error box after a cancel
    QVERIFY(WithoutSummary(h.Log()).ends_with("キャンセルしました\r\n処理完了\r\n"));
    QVERIFY(!f.LastRunFailed());  // exit status 0
  }
};

QTEST_MAIN(FormAutoModeTest)
#include "form_auto_mode.moc"
