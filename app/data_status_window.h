#pragma once
// DataStatusWindow 「データ状況」: what the home holds of one currency, read without writing anything.
// Choosing a currency reads all its year files on a worker thread and fills the calendar (minutes per
// day, a row per year) as each file is done; choosing a year (the 年 box, or a click on its row) makes
// that year's daily and hourly candles on another worker thread and draws them. A new choice abandons
// the reading of the one before, and closing the window abandons both; the window's thread never
// waits for the disk except, on closing, for the file being read to end. A file that cannot be read
// or candles that cannot be made are said in the window's status line, with the reason.
#include <QWidget>
#include <functional>

#include "support/home_layout.h"
#include "support/run_options.h"

class QComboBox;
class QLabel;
class QPushButton;
class QSplitter;

namespace arl {

class BackgroundJob;
class CalendarHeatMap;
class CandleChart;

class DataStatusWindow : public QWidget {
  Q_OBJECT

 public:
  DataStatusWindow(Paths paths, RunOptions options, QWidget* parent = nullptr);
  ~DataStatusWindow() override;

  // The options the year files were written with (read again on each choice).
  void SetOptions(RunOptions options);
  void ChooseCurrency(const QString& ticker);
  void ChooseYear(int year);

  CalendarHeatMap& Calendar() { return *calendar_; }
  CandleChart& Chart() { return *chart_; }
  QString Status() const;
  // Tests: called on the reading threads before each file and before the candles are made.
  void SetReadingHook(const std::function<void()>& hook);

 signals:
  void CalendarRead();  // every year file of the chosen currency is in the calendar
  void CandlesRead();   // the chosen year's candles are drawn

 private:
  void ReadCalendar();
  void ReadCandles();
  void ShowStatus();

  Paths paths_;
  RunOptions options_;
  QString ticker_;
  int year_ = 0;
  QString shownTicker_;       // the currency of the candles asked for last (year_ their year)
  QString calendarProblems_;  // what the files read so far did not hold as expected
  QString calendarStatus_, candleStatus_;

  QComboBox *currencyBox_ = nullptr, *yearBox_ = nullptr;
  QPushButton* wholeYear_ = nullptr;
  QLabel* status_ = nullptr;
  QSplitter* split_ = nullptr;
  CalendarHeatMap* calendar_ = nullptr;
  CandleChart* chart_ = nullptr;
  BackgroundJob *calendarJob_ = nullptr, *candleJob_ = nullptr;
};

}  // namespace arl
