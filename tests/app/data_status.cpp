// The 「データ状況」 window over a home of year files written here with known gaps: the calendar's
// cells and counts, the daily and hourly candles made from the lines, the reading off the window's
// thread, and choices that abandon the reading before them.
#include <QCandlestickSeries>
#include <QCandlestickSet>
#include <QLineEdit>
#include <QtTest/QtTest>
#include <cstdio>

#include "app/calendar_heat_map.h"
#include "app/candle_chart.h"
#include "app/data_status_window.h"
#include "tests/app/form_harness.h"

using namespace arl;
using namespace arl::test;

namespace {

const QDate kDayZero(1899, 12, 30);

// The lines of minutes [from, to) of a day with the default options; each minute's open climbs by
// 0.00001, its high is 0.0002 above it, its low 0.0001 below, its close 0.0001 above.
void AddDay(std::string& text, QDate date, int from = 0, int to = 1440) {
  char line[64];
  for (int m = from; m < to; ++m) {
    const double open = 1.1 + m * 1e-5;
    std::snprintf(line, sizeof line, "%04d/%02d/%02d,%02d:%02d:00,%.5f,%.5f,%.5f,%.5f\r\n", date.year(),
                  date.month(), date.day(), m / 60, m % 60, open, open + 2e-4, open - 1e-4, open + 1e-4);
    text += line;
  }
}

// EURUSD: every weekday of 2023 in full but 2023-05-01 (a Monday) missing and 2023-03-15 only 09:00
// to 09:29; the first hour of every weekday of 2024, its file starting with 2023-12-31 18:00 to 23:59
// (as a shift puts them); the first week of 2022. USDJPY: three days of 2021.
struct DataHome {
  TempDir dir;
  DataHome() {
    WriteFile(dir / "CurrencyList.txt", "EURUSD\r\nUSDJPY\r\n");
    for (int year = 2022; year <= 2024; ++year) {
      std::string text;
      if (year == 2024) AddDay(text, QDate(2023, 12, 31), 18 * 60);
      for (QDate d(year, 1, 1); d.year() == year && (year != 2022 || d.day() < 8); d = d.addDays(1)) {
        if (d.dayOfWeek() > 5 || d == QDate(2023, 5, 1)) continue;
        if (d == QDate(2023, 3, 15))
          AddDay(text, d, 540, 570);
        else
          AddDay(text, d, 0, year == 2024 ? 60 : 1440);
      }
      Write("EURUSD", year, text);
    }
    std::string text;
    for (int day : {4, 5, 6}) AddDay(text, QDate(2021, 1, day), 0, 60);
    Write("USDJPY", 2021, text);
  }
  void Write(const char* ticker, int year, const std::string& text) {
    const std::string folder = dir / "HistoricalData/" + ticker + "/1min/";
    MakeDirs(folder);
    WriteFile(folder + "1min_" + std::to_string(year) + ".txt", text);
  }
  std::unique_ptr<DataStatusWindow> Open() {
    return std::make_unique<DataStatusWindow>(Paths::ForAppDir(dir.path()), RunOptions{});
  }
};

QCandlestickSeries& Series(CandleChart& chart) {
  return *qobject_cast<QCandlestickSeries*>(chart.chart()->series().at(0));
}

}  // namespace

class DataStatusTest : public QObject {
  Q_OBJECT

 private slots:
  void theCalendarCountsEachDayAndTheChartMakesItsCandles() {
    DataHome home;
    auto w = home.Open();
    QSignalSpy calendarRead(w.get(), &DataStatusWindow::CalendarRead);
    QSignalSpy candlesRead(w.get(), &DataStatusWindow::CandlesRead);
    QVERIFY(calendarRead.wait(10000));
    CalendarHeatMap& calendar = w->Calendar();
    QCOMPARE(calendar.Years(), (std::vector<int>{2022, 2023, 2024}));
    QCOMPARE(calendar.Cells(2023), 365);
    QCOMPARE(calendar.Cells(2024), 366);
    QCOMPARE(calendar.Lines(QDate(2023, 3, 14)), 1440);
    QCOMPARE(calendar.Lines(QDate(2023, 3, 15)), 30);
    QCOMPARE(calendar.Lines(QDate(2023, 5, 1)), 0);
    QCOMPARE(calendar.Lines(QDate(2023, 5, 6)), 0);  // a Saturday
    QCOMPARE(calendar.Lines(QDate(2023, 12, 31)), 360);
    QCOMPARE(calendar.ToolTipAt(calendar.CellRect(QDate(2023, 3, 15)).center()),
             QStringLiteral("2023/03/15(水)  分足の数 30"));

    // The newest year is drawn first; a click on a row draws that year.
    QVERIFY(candlesRead.wait(10000));
    QCOMPARE(w->Chart().ShownCandles(), 262);  // 2024's weekdays; 2023-12-31 is 2023's
    calendar.resize(1200, calendar.height());
    QTest::mouseClick(&calendar, Qt::LeftButton, {}, calendar.CellRect(QDate(2023, 6, 1)).center());
    QVERIFY(candlesRead.wait(10000));
    CandleChart& chart = w->Chart();
    // 2023's 260 weekdays without 1 May, with 31 December from the file of 2024.
    QCOMPARE(chart.ShownCandles(), 260);
    QVERIFY(!chart.ShowsHourly());
    const double noonOf15 = static_cast<double>(kDayZero.daysTo(QDate(2023, 3, 15)) * 1440 + 720);
    bool found = false;
    for (const QCandlestickSet* set : Series(chart).sets()) {
      if (set->timestamp() != noonOf15) continue;
      found = true;
      QCOMPARE(set->open(), 1.1054);
      QCOMPARE(set->high(), 1.10589);
      QCOMPARE(set->low(), 1.1053);
      QCOMPARE(set->close(), 1.10579);
    }
    QVERIFY(found);

    // Monday 13 to Saturday 18 March: hourly candles, 24 a full day and one for the 15th.
    chart.ShowRange(static_cast<double>(kDayZero.daysTo(QDate(2023, 3, 13))),
                    static_cast<double>(kDayZero.daysTo(QDate(2023, 3, 18))));
    QVERIFY(chart.ShowsHourly());
    QCOMPARE(chart.ShownCandles(), 4 * 24 + 1);
    chart.ShowAll();
    QCOMPARE(chart.ShownCandles(), 260);
  }

  void aNewChoiceAbandonsTheReadingBeforeAndTheWindowKeepsAnswering() {
    DataHome home;
    auto w = home.Open();  // starts reading EURUSD
    QSignalSpy calendarRead(w.get(), &DataStatusWindow::CalendarRead);
    QSignalSpy candlesRead(w.get(), &DataStatusWindow::CandlesRead);
    // EURUSD's files are counted meanwhile and wait to be shown; USDJPY's choice drops them.
    QThread::msleep(300);
    w->ChooseCurrency(QStringLiteral("USDJPY"));
    QVERIFY(candlesRead.wait(10000));
    QTest::qWait(300);  // for what EURUSD's thread may still post
    QCOMPARE(calendarRead.size(), 1);
    QCOMPARE(w->Calendar().Years(), std::vector<int>{2021});
    QCOMPARE(w->Calendar().Lines(QDate(2021, 1, 5)), 60);
    QCOMPARE(w->Chart().ShownCandles(), 3);

    // The window's thread ticks on while EURUSD is read and its candles are made.
    QTimer ticks;
    QElapsedTimer clock;
    qint64 last = 0, largest = 0;
    connect(&ticks, &QTimer::timeout, [&] {
      largest = std::max(largest, clock.elapsed() - last);
      last = clock.elapsed();
    });
    clock.start();
    ticks.start(10);
    w->SetReadingHook([] { QThread::msleep(150); });  // each file and the candles read slowly
    w->ChooseCurrency(QStringLiteral("EURUSD"));
    QVERIFY(candlesRead.wait(10000));
    QVERIFY2(largest <= 100, QByteArray::number(largest));
    // Closed while it is read again: the window waits for the file being read, no more.
    w->ChooseCurrency(QStringLiteral("EURUSD"));
    w.reset();
  }

  // The window's button opens it over the window's home and options; the options must parse, and a
  // run disables the button. What a file holds wrongly is said with the file's name.
  void theButtonOpensItOverTheWindowsHome() {
    FormHarness h;
    WriteFile(h.home / "CurrencyList.txt", "GBPUSD\r\nAUDUSD\r\n");
    std::string text = "junk\r\n";
    AddDay(text, QDate(2020, 1, 6), 0, 10);
    const std::string file = h.home / "HistoricalData/GBPUSD/1min/1min_2020.txt";
    MakeDirs(h.home / "HistoricalData/GBPUSD/1min/");
    WriteFile(file, text);
    TForm1& f = h.Make();
    f.show();
    h.Get<QLineEdit>("EditGmtGap")->setText(QStringLiteral("x"));
    QTest::mouseClick(h.Get<QPushButton>("DataButton"), Qt::LeftButton);
    QCOMPARE(h.boxes.size(), std::size_t{1});
    QCOMPARE(f.findChild<DataStatusWindow*>(), nullptr);
    h.Get<QLineEdit>("EditGmtGap")->setText(QStringLiteral("-6"));
    QTest::mouseClick(h.Get<QPushButton>("DataButton"), Qt::LeftButton);
    auto* w = f.findChild<DataStatusWindow*>();
    QVERIFY(w && w->isVisible());
    QSignalSpy candlesRead(w, &DataStatusWindow::CandlesRead);
    QVERIFY(candlesRead.wait(10000));
    QCOMPARE(w->Calendar().Lines(QDate(2020, 1, 6)), 10);
    QCOMPARE(w->Status(),
             QStringLiteral("GBPUSD: 1 年分\n") + QString::fromStdString(file) +
                 QStringLiteral(" に読めない行が 1 行あります (最初は 1 行目)\n") +
                 QString::fromStdString(file) +
                 QStringLiteral(" の 1 行目が読めないので、足を作れません (日付が読めません)\njunk"));
    w->ChooseCurrency(QStringLiteral("AUDUSD"));
    QTRY_VERIFY(w->Status().startsWith(QStringLiteral("AUDUSD: 1分足のファイルがありません (") +
                                       QString::fromStdString(h.home.path())));

    f.session().events.BusyChanged(true);
    QTRY_VERIFY(!h.Get("DataButton")->isEnabled());
    f.session().events.BusyChanged(false);
    QTRY_VERIFY(h.Get("DataButton")->isEnabled());
  }
};

QTEST_MAIN(DataStatusTest)
#include "data_status.moc"
