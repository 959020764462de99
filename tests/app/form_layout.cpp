// The window's layout: every control shows, whole and readable, where the layout puts it; Japanese
// text has a font with its glyphs. With ARL_SCREENSHOT=path.png the window is saved as an image.
#include <QAbstractButton>
#include <QCheckBox>
#include <QFontMetrics>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSplitter>
#include <QStatusBar>
#include <QtTest/QtTest>

#include "app/radio_group.h"
#include "tests/app/form_harness.h"

using namespace arl;
using namespace arl::test;

class FormLayoutTest : public QObject {
  Q_OBJECT

 private:
  static QRect InWindow(QWidget* w) { return QRect(w->mapTo(w->window(), QPoint(0, 0)), w->size()); }

 private slots:
  void everyControlShowsWholeInItsPlace() {
    FormHarness h;
    TForm1& f = h.Make();
    f.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f));
    const QRect window = f.rect();
    const double scale = f.width() / 928.0;  // the size as created is 928 wide at 96 dpi

    for (const char* name : {"StatusBar1",
                             "Panel1",
                             "Panel2",
                             "Panel3",
                             "Memo1",
                             "Splitter1",
                             "WebBrowser1",
                             "RadioGroup1",
                             "RadioGroup2",
                             "RadioGroup3",
                             "Label1",
                             "Label3",
                             "Label4",
                             "Label5",
                             "Label7",
                             "Label8",
                             "EditURL",
                             "EditRetryLimit",
                             "EditLongTimeFormat",
                             "EditGmtGap",
                             "EditFileHeadName",
                             "Button1",
                             "CheckBox1"}) {
      QWidget* w = h.Get(name);
      QVERIFY2(w->isVisible(), name);
      QVERIFY2(!w->size().isEmpty(), name);
      QVERIFY2(window.contains(InWindow(w)), name);
    }
    // Texts are not clipped: each label, radio item and the check box gets its full width, and the
    // push buttons' captions fit inside them.
    QList<QWidget*> texts;
    for (auto* l : f.findChildren<QLabel*>()) texts << l;
    for (auto* b : f.findChildren<QAbstractButton*>()) texts << b;
    for (QWidget* w : texts) {
      if (!w->isVisible()) continue;
      auto* label = qobject_cast<QLabel*>(w);
      const QString text = label ? label->text() : qobject_cast<QAbstractButton*>(w)->text();
      const int needed = qobject_cast<QPushButton*>(w) ? w->fontMetrics().horizontalAdvance(text) + 8
                                                       : w->sizeHint().width();
      QVERIFY2(w->width() >= needed, qPrintable(w->objectName() + QLatin1Char(' ') + text));
      // The options column's texts stay inside it (the status bar's home label sits at its right).
      if (h.Get("StatusBar1")->isAncestorOf(w)) continue;
      QVERIFY2(InWindow(w).right() <= InWindow(h.Get("Panel2")).right(), qPrintable(text));
    }

    // The column: 329 wide, the options panel 540 tall (with the timeframes' box) above the log pane; the
    // scratch pane closed.
    QCOMPARE(h.Get("Panel3")->width(), qRound(329 * scale));
    QCOMPARE(h.Get("Panel2")->height(), qRound(540 * scale));
    QVERIFY(InWindow(h.Get("Memo1")).top() >= InWindow(h.Get("Panel2")).bottom());
    QCOMPARE(h.Get("Memo2")->width(), 0);
    QVERIFY(h.Get("Memo1")->width() > 200);
    // The page panel fills the rest, the status bar runs along the bottom.
    QCOMPARE(InWindow(h.Get("Panel1")).left(), InWindow(h.Get("Panel3")).right() + 1);
    QCOMPARE(InWindow(h.Get("Panel1")).right(), window.right());
    QCOMPARE(InWindow(h.Get("StatusBar1")).bottom(), window.bottom());
    // The buttons at the bottom left of the options panel, the check box right of them.
    QRect run = InWindow(h.Get("Button1")), box = InWindow(h.Get("CheckBox1"));
    QVERIFY(run.bottom() > InWindow(h.Get("EditGmtGap")).bottom());
    QVERIFY(box.left() > run.right());

    // The memos: no wrapping, scroll bars both ways.
    for (const char* name : {"Memo1", "Memo2"}) {
      auto* memo = h.Get<QPlainTextEdit>(name);
      QCOMPARE(memo->lineWrapMode(), QPlainTextEdit::NoWrap);
      QCOMPARE(memo->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
      QCOMPARE(memo->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    }

    // Japanese shows as text, not boxes.
    QFontMetrics metrics(h.Get("Button1")->font());
    for (QChar c : QStringLiteral("実行中止消す年区切"))
      QVERIFY2(metrics.inFontUcs4(c.unicode()), qPrintable(QString(c)));
    QCOMPARE(h.Get("Button1")->font().pixelSize(), qRound(12 * scale));

    if (qEnvironmentVariableIsSet("ARL_SCREENSHOT")) {
      f.session().AddLog("ログの例: 030111.zip → 110103.txtへのリネーム OK");
      h.Get<QStatusBar>("StatusBar1")->showMessage(QStringLiteral("処理中"));
      QTest::qWait(200);
      QVERIFY(f.grab().save(qEnvironmentVariable("ARL_SCREENSHOT")));
    }
  }

  void busyLayoutPutsTheCancelButtonWhereTheRunButtonWas() {
    FormHarness h;
    TForm1& f = h.Make();
    f.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f));
    // What a run reports reaches the window's thread as a queued call.
    f.session().events.BusyChanged(true);
    QTRY_VERIFY(h.Get("CancelButton")->isVisible());
    QCOMPARE(h.Get("CancelButton")->geometry(), h.Get("Button1")->geometry());
    QVERIFY(!h.Get("Button1")->isVisible());
    f.session().events.BusyChanged(false);
    QTRY_VERIFY(!h.Get("CancelButton")->isVisible());
    QVERIFY(h.Get("Button1")->isVisible());
  }
};

QTEST_MAIN(FormLayoutTest)
#include "form_layout.moc"
