// The window over whole runs against the demo archive site on loopback, with the real browser and
// downloader and the archives slowed down: the window's thread keeps answering while the run goes
// on, a cancel from the button stops the run, and closing the window during a run asks first.
#include <QLineEdit>
#include <QtTest/QtTest>
#include <algorithm>

#include "acquire/curl_browser.h"
#include "acquire/curl_downloader.h"
#include "tests/app/control_states.h"
#include "tools/lib/fake_site.h"
#include "tools/lib/site_server.h"

using namespace arl;
using namespace arl::test;

namespace {

int Count(const std::string& text, const std::string& piece) {
  int n = 0;
  for (auto at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1)) ++n;
  return n;
}

// A small site (ten archives) served on 127.0.0.1, each archive trickling in over ~150 ms, and a
// shown window over it, ready to run.
struct SiteWindow {
  static constexpr int kArchives = 10;

  SiteWindow() : site(tools::FakeSite::Generate(siteDir.path() + "site", Options())), server(site.Dir()) {
    server.Start();
    tools::Fault slow = tools::Fault::Of(tools::FaultKind::Slow);
    slow.delayMs = 50;
    slow.trickleMs = 25;
    slow.trickleBytes = 256;
    for (int year = 2009; year <= 2011; ++year)
      for (const auto& day : site.PublishedDays(year))
        server.SetFault(tools::FakeSite::ArchivePath(day), slow);
    std::string tickers;
    for (const auto& t : site.DayOptions().tickers) tickers += t + "\r\n";
    WriteFile(h.home / "CurrencyList.txt", tickers);
    FormConfig c = h.Config();
    c.timerIntervalMs = 10;
    h.Make(c, browser, downloader);
    h.Get<QLineEdit>("EditURL")->setText(QString::fromStdString(server.Url(tools::FakeSite::kIndexPath)));
    h.form->show();
  }
  static tools::FakeSiteOptions Options() {
    tools::FakeSiteOptions o;
    o.daysPerYear = 4;
    o.newestDays = 2;
    o.firstMinute = 350;
    o.lastMinute = 369;
    return o;
  }
  // Clicks 実行 and, once `downloads` archives are in, `act`; returns when the run has ended.
  bool RunAndAfter(int downloads, const std::function<void()>& act) {
    return h.RunToItsEnd([&] {
      QTest::mouseClick(h.Get<QPushButton>("Button1"), Qt::LeftButton);
      QTRY_VERIFY_WITH_TIMEOUT(Count(h.Log(), " DL OK.") >= downloads, 5000);
      act();
    });
  }

  TempDir siteDir;
  tools::FakeSite site;
  tools::SiteServer server;
  CurlBrowser browser;
  CurlDownloader downloader;
  FormHarness h;  // destroyed first: the window goes before its browser
};

// Ticks every 20 ms on the window's thread until stopped, and keeps the largest gap between ticks.
struct TickGaps {
  QTimer timer;
  QElapsedTimer clock;
  qint64 last = 0, largest = 0;
  TickGaps() {
    QObject::connect(&timer, &QTimer::timeout, [this] { Tick(); });
    clock.start();
    timer.start(20);
  }
  void Tick() {
    largest = std::max(largest, clock.elapsed() - last);
    last = clock.elapsed();
  }
  void Stop() {
    Tick();
    timer.stop();
  }
};

}  // namespace

class FormThreadTest : public QObject {
  Q_OBJECT

 private slots:
  void aCancelledRunKeepsTheWindowAnsweringAndTheNextRunCompletes() {
    SiteWindow w;
    FormHarness& h = w.h;
    TForm1& f = *h.form;
    QTRY_VERIFY(h.Get<QPushButton>("Button1")->isEnabled());
    TickGaps gaps;
    connect(&f, &TForm1::RunEnded, &gaps.timer, [&] { gaps.Stop(); });
    QVERIFY(w.RunAndAfter(SiteWindow::kArchives / 2, [&] {
      h.PastDoubleClick();
      QTest::mouseClick(h.Get<QPushButton>("CancelButton"), Qt::LeftButton);
    }));
    QVERIFY2(gaps.largest <= 100, QByteArray::number(gaps.largest));

    QCOMPARE(h.boxes.size(), std::size_t{1});
    QCOMPARE(h.boxes[0].text, std::string("キャンセルしますか？"));
    const std::string log = h.Log();
    QVERIFY(Count(log, " DL OK.") < SiteWindow::kArchives);
    const LineList& pane = f.LogPane().Lines();
    QVERIFY(pane.size() >= 2);
    QCOMPARE(LineList(pane.end() - 2, pane.end()), (LineList{"キャンセルしました", "処理完了"}));
    std::string shown;
    for (const auto& line : pane) shown += line + "\r\n";
    QVERIFY(log.ends_with(shown));
    QVERIFY(Capture(h).Idle());
    QVERIFY(!f.LastRunFailed());

    w.server.ClearFaults();
    QVERIFY(h.RunToItsEnd([&] { QTest::mouseClick(h.Get<QPushButton>("Button1"), Qt::LeftButton); }));
    const std::string second = h.Log().substr(log.size());
    QVERIFY(second.ends_with("\r\n処理完了\r\n"));
    QVERIFY(second.find("失敗 : なし\r\n") != std::string::npos);
    QCOMPARE(Count(second, "キャンセル"), 0);
    QCOMPARE(h.boxes.size(), std::size_t{1});
    QVERIFY(Capture(h).Idle());
    QVERIFY(!f.LastRunFailed());
  }

  void closingDuringARunAsksToCancel_data() {
    QTest::addColumn<bool>("cancel");
    QTest::newRow("OK: cancelled, then closed") << true;
    QTest::newRow("Cancel: the run goes on") << false;
  }
  void closingDuringARunAsksToCancel() {
    QFETCH(bool, cancel);
    SiteWindow w;
    FormHarness& h = w.h;
    TForm1& f = *h.form;
    h.answer = [&](const BoxRequest&) { return cancel; };
    QTRY_VERIFY(h.Get<QPushButton>("Button1")->isEnabled());
    bool visibleAtEnd = false;
    connect(&f, &TForm1::RunEnded, [&] { visibleAtEnd = f.isVisible(); });
    QVERIFY(w.RunAndAfter(1, [&] {
      QVERIFY(!f.close());
      QVERIFY(f.isVisible());
    }));
    QCOMPARE(h.boxes.size(), std::size_t{1});
    QCOMPARE(h.boxes[0].text, std::string("キャンセルしますか？"));
    QCOMPARE(h.boxes[0].caption, std::string("確認"));
    QVERIFY(visibleAtEnd);
    const std::string log = h.Log();
    if (cancel) {
      QTRY_VERIFY(!f.isVisible());
      QVERIFY(log.ends_with("キャンセルしました\r\n処理完了\r\n"));
    } else {
      QTest::qWait(100);
      QVERIFY(f.isVisible());
      QCOMPARE(Count(log, " DL OK."), SiteWindow::kArchives);
      QVERIFY(log.find("失敗 : なし\r\n") != std::string::npos);
      QCOMPARE(Count(log, "キャンセル"), 0);
    }
  }
};

QTEST_MAIN(FormThreadTest)
#include "form_thread.moc"
