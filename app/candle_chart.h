#pragma once
// CandleChart: one currency's candles of one year drawn with Qt Charts. Over a long range it shows
// the daily candles; once the range shown is a few days (drag across the chart to zoom in,
// right-click to zoom back out, ShowAll for the whole year) it shows the hourly candles of that range
// instead. The x axis counts minutes since 1899-12-30 in the year files' own time, so that no time zone
// of the machine moves a candle; a candle series takes no labelled axis, so the series' value axis is
// hidden and an axis of labels (months, weeks or days, as the range asks) follows its range. The chart
// holds what it is given and fails at nothing; an empty chart says why in its title.
#include <QChartView>
#include <vector>

#include "convert/year_candles.h"

class QCandlestickSeries;
class QCategoryAxis;
class QValueAxis;

namespace arl {

class CandleChart : public QChartView {
  Q_OBJECT

 public:
  // Hourly candles are shown when the range is this many days or fewer.
  static constexpr double kHourlyDays = 10;

  explicit CandleChart(QWidget* parent = nullptr);

  void SetCandles(const QString& title, std::vector<Candle> daily, std::vector<Candle> hourly);
  void Clear(const QString& message);
  void ShowAll();
  // Shows [fromDay, toDay) (days since 1899-12-30, fractions for the time of day).
  void ShowRange(double fromDay, double toDay);

  int ShownCandles() const;
  bool ShowsHourly() const { return hourly_; }

 private:
  std::int64_t Length() const;                // of the candles shown, in minutes
  void RangeChanged(double from, double to);  // in minutes since 1899-12-30
  void Fill(double from, double to);
  void Label(double from, double to);

  QCandlestickSeries* series_ = nullptr;
  QValueAxis* time_ = nullptr;
  QCategoryAxis* labels_ = nullptr;
  QValueAxis* price_ = nullptr;
  QString title_;
  std::vector<Candle> daily_, hourlyCandles_;
  bool hourly_ = false;
  bool updating_ = false;  // the chart's own changes of the axes are no zoom
};

}  // namespace arl
