// A run refused because another run holds the home: the window shows the refusal in one error box
// and stays as it was, ready for a later run; an auto-mode window closes all the same.
#include <unistd.h>

#include <QDialog>
#include <QLineEdit>
#include <QtTest/QtTest>

#include "support/files.h"
#include "support/home_lock.h"
#include "tests/app/control_states.h"

using namespace arl;
using namespace arl::test;

class FormBusyHomeTest : public QObject {
  Q_OBJECT

 private:
  static std::string Refusal(const Paths& paths) {
    return "別の実行 (プロセスID " + std::to_string(::getpid()) + ") が " + paths.AppDir +
           " を使用中なので、実行しませんでした。終わってから実行してください";
  }

 private slots:
  void theRefusalLeavesTheWindowIdleAndALaterClickRuns() {
    FormHarness h;
    FormConfig c = h.Config();
    c.timerIntervalMs = 10;
    TForm1& f = h.Make(c);
    h.Get<QLineEdit>("EditURL")->setText(QString::fromLatin1(kIndex));
    f.show();
    QTRY_VERIFY(h.Get<QPushButton>("Button1")->isEnabled());
    const QString statusBefore = Capture(h).status;
    {
      HomeLock other(f.session().paths.LockPath, f.session().paths.AppDir);
      QVERIFY(h.RunToItsEnd([&] { QTest::mouseClick(h.Get<QPushButton>("Button1"), Qt::LeftButton); }));
      QCOMPARE(h.boxes.size(), std::size_t{1});
      QCOMPARE(h.boxes[0].kind, BoxRequest::Kind::Error);
      QCOMPARE(h.boxes[0].text, Refusal(f.session().paths));
      const ControlStates after = Capture(h);
      QVERIFY(after.Idle());
      QCOMPARE(after.status, statusBefore);
      QVERIFY(f.session().GoOn() && !f.Running() && f.LastRunFailed());
      QCOMPARE(h.Log(), h.boxes[0].text + "\r\n");  // nothing else: no summary, no 処理完了
      QVERIFY(!f.findChild<QDialog*>(QStringLiteral("SummaryBox")));
      QVERIFY(!FileExists(h.home / "autorateloom.ini"));
      QCOMPARE(std::count(h.browser.navigations.begin(), h.browser.navigations.end(), kIndex), 0);
    }
    QVERIFY(h.RunToItsEnd([&] { QTest::mouseClick(h.Get<QPushButton>("Button1"), Qt::LeftButton); }));
    QCOMPARE(std::count(h.browser.navigations.begin(), h.browser.navigations.end(), kIndex), 1);
    QCOMPARE(h.boxes.size(), std::size_t{2});  // discovery's error this time
    QVERIFY(h.Log().ends_with("処理完了\r\n"));
    QVERIFY(Capture(h).Idle());
  }

  void aRefusedAutoModeRunStillClosesTheWindow() {
    FormHarness h;
    FormConfig c = h.Config();
    c.args = {"auto"};
    c.timerIntervalMs = 10;
    TForm1& f = h.Make(c);
    HomeLock other(f.session().paths.LockPath, f.session().paths.AppDir);
    f.show();
    QTRY_VERIFY_WITH_TIMEOUT(!f.isVisible(), 5000);
    QCOMPARE(h.boxes.size(), std::size_t{1});
    QCOMPARE(h.boxes[0].text, Refusal(f.session().paths));
    QVERIFY(f.LastRunFailed());  // exit status 1
  }
};

QTEST_MAIN(FormBusyHomeTest)
#include "form_busy_home.moc"
