// The window by keyboard: the first focus on 実行 and Return pressing it, and read-only panes that
// Tab leaves and that copy.
#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QtTest/QtTest>

#include "tests/app/control_states.h"

using namespace arl;
using namespace arl::test;

class FormKeyboardTest : public QObject {
  Q_OBJECT

  static TForm1& ShownWindow(FormHarness& h) {
    FormConfig c = h.Config();
    c.timerIntervalMs = 10;
    h.Make(c).show();
    h.Get<QLineEdit>("EditURL")->setText(QString::fromLatin1(kIndex));
    if (!QTest::qWaitForWindowActive(h.form.get())) qFatal("the window never became active");
    return *h.form;
  }

 private slots:
  void theFirstFocusIsOnTheRunButtonAndReturnOrEnterPressesIt() {
    FormHarness h;
    TForm1& f = ShownWindow(h);
    auto* run = h.Get<QPushButton>("Button1");
    QTRY_COMPARE(QApplication::focusWidget(), run);
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter}) {
      QVERIFY(h.RunToItsEnd([&] { QTest::keyClick(f.focusWidget(), key); }));
      QCOMPARE(f.focusWidget(), run);  // back on 実行 after the run, by way of 中止
    }
    QCOMPARE(std::count(h.browser.navigations.begin(), h.browser.navigations.end(), kIndex), 2);
  }

  void thePanesAreReadOnlyTabLeavesThemAndTheyCopy() {
    FormHarness h;
    ShownWindow(h).session().AddLog("030111.zip DL OK.");
    auto* log = h.Get<QPlainTextEdit>("Memo1");
    QTRY_COMPARE(log->toPlainText(), QStringLiteral("030111.zip DL OK."));
    for (QPlainTextEdit* pane : {log, h.Get<QPlainTextEdit>("Memo2")}) {
      const QString before = pane->toPlainText();
      pane->setFocus();
      QTest::keyClicks(pane, QStringLiteral("x\t"));
      QVERIFY(!pane->hasFocus());
      QCOMPARE(pane->toPlainText(), before);
    }
    QTest::keyClick(log, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(log, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QApplication::clipboard()->text(), log->toPlainText());
  }
};

QTEST_MAIN(FormKeyboardTest)
#include "form_keyboard.moc"
