// The run's progress in the window's status bar: shown with its text during a run, beside the home,
// and hidden again after it.
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QtTest/QtTest>

#include "tests/app/control_states.h"

using namespace arl;
using namespace arl::test;

class FormProgressTest : public QObject {
  Q_OBJECT

 private slots:
  void theProgressShowsDuringARunOnly() {
    FormHarness h;
    TForm1& f = h.Make();
    h.Get<QLineEdit>("EditURL")->setText(QString::fromLatin1(kIndex));
    f.show();
    auto* panel = h.Get("ProgressPanel");
    QVERIFY(!panel->isVisible());
    bool visible = false;
    QString text;
    h.browser.onNavigate = [&](const std::string& address) {
      if (address != kIndex) return;
      OnWindowThread(f, [&] {
        visible = panel->isVisible();
        text = h.Get<QLabel>("ProgressText")->text();
      });
    };
    QVERIFY(h.RunToItsEnd());
    QVERIFY(visible);
    QCOMPARE(text, QStringLiteral("年の一覧を確認中"));
    QVERIFY(h.Get("HomeLabel")->isVisible());
    QVERIFY(!panel->isVisible());
  }
};

QTEST_MAIN(FormProgressTest)
#include "form_progress.moc"
