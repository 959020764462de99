#include "app/candle_chart.h"

#include <QCandlestickSeries>
#include <QCandlestickSet>
#include <QCategoryAxis>
#include <QCursor>
#include <QDate>
#include <QToolTip>
#include <QValueAxis>
#include <algorithm>
#include <cmath>

namespace arl {

namespace {

constexpr std::int64_t kMinutesPerDay = 1440;
const QDate kDayZero(1899, 12, 30);  // day number 0

QDate DateOfMinute(double minute) {
  return kDayZero.addDays(static_cast<qint64>(std::floor(minute / kMinutesPerDay)));
}

// The candles whose time overlaps [from, to), in minutes.
std::vector<Candle> Within(const std::vector<Candle>& candles, std::int64_t length, double from, double to) {
  std::vector<Candle> within;
  for (const Candle& c : candles)
    if (static_cast<double>(c.minute + length) > from && static_cast<double>(c.minute) < to)
      within.push_back(c);
  return within;
}

QString CandleText(const QCandlestickSet* set, std::int64_t length) {
  const std::int64_t half = length / 2;  // a set stands at the middle of its time
  const double start = set->timestamp() - static_cast<double>(half);
  QString when = DateOfMinute(start).toString(QStringLiteral("yyyy/MM/dd"));
  if (length < kMinutesPerDay) {
    const auto minute = static_cast<int>(std::fmod(start, static_cast<double>(kMinutesPerDay)));
    when += QStringLiteral(" %1:%2")
                .arg(minute / 60, 2, 10, QLatin1Char('0'))
                .arg(minute % 60, 2, 10, QLatin1Char('0'));
  }
  return when + QStringLiteral("\n始値 %1\n高値 %2\n安値 %3\n終値 %4")
                    .arg(set->open())
                    .arg(set->high())
                    .arg(set->low())
                    .arg(set->close());
}

}  // namespace

CandleChart::CandleChart(QWidget* parent) : QChartView(parent) {
  auto* chart = new QChart;
  chart->legend()->hide();
  series_ = new QCandlestickSeries(chart);
  series_->setIncreasingColor(QColor(38, 166, 91));
  series_->setDecreasingColor(QColor(214, 69, 65));
  series_->setBodyWidth(0.7);
  chart->addSeries(series_);
  time_ = new QValueAxis(chart);
  time_->setVisible(false);
  labels_ = new QCategoryAxis(chart);
  labels_->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
  price_ = new QValueAxis(chart);
  price_->setLabelFormat(QStringLiteral("%.5g"));
  chart->addAxis(time_, Qt::AlignBottom);
  chart->addAxis(labels_, Qt::AlignBottom);
  chart->addAxis(price_, Qt::AlignLeft);
  series_->attachAxis(time_);
  series_->attachAxis(price_);
  setChart(chart);
  setRenderHint(QPainter::Antialiasing);
  setRubberBand(QChartView::HorizontalRubberBand);
  connect(time_, &QValueAxis::rangeChanged, this, &CandleChart::RangeChanged);
  connect(series_, &QCandlestickSeries::hovered, this, [this](bool on, QCandlestickSet* set) {
    if (on)
      QToolTip::showText(QCursor::pos(), CandleText(set, Length()), this);
    else
      QToolTip::hideText();
  });
  Clear(QString());
}

void CandleChart::SetCandles(const QString& title, std::vector<Candle> daily, std::vector<Candle> hourly) {
  title_ = title;
  daily_ = std::move(daily);
  hourlyCandles_ = std::move(hourly);
  ShowAll();
}

void CandleChart::Clear(const QString& message) {
  title_ = message;
  daily_.clear();
  hourlyCandles_.clear();
  ShowAll();
}

void CandleChart::ShowAll() {
  if (daily_.empty()) {
    ShowRange(0, 1);
    return;
  }
  // A day's margin either side, so that the first and last candles show whole.
  const double first = std::floor(static_cast<double>(daily_.front().minute) / kMinutesPerDay);
  const double last = std::floor(static_cast<double>(daily_.back().minute) / kMinutesPerDay);
  ShowRange(first - 1, last + 2);
}

void CandleChart::ShowRange(double fromDay, double toDay) {
  const double from = fromDay * kMinutesPerDay, to = toDay * kMinutesPerDay;
  updating_ = true;
  time_->setRange(from, to);
  updating_ = false;
  RangeChanged(from, to);
}

int CandleChart::ShownCandles() const { return series_->count(); }

std::int64_t CandleChart::Length() const { return hourly_ ? 60 : kMinutesPerDay; }

void CandleChart::RangeChanged(double from, double to) {
  if (updating_) return;
  updating_ = true;
  hourly_ = to - from <= kHourlyDays * kMinutesPerDay && !hourlyCandles_.empty();
  Fill(from, to);
  Label(from, to);
  updating_ = false;
}

// The candles of the range and a price axis that fits them. A candle stands at the middle of its
// time (a set's time is a whole number, so the x axis counts minutes).
void CandleChart::Fill(double from, double to) {
  const std::vector<Candle> shown = Within(hourly_ ? hourlyCandles_ : daily_, Length(), from, to);
  series_->clear();
  QList<QCandlestickSet*> sets;
  double low = 0, high = 0;
  const std::int64_t half = Length() / 2;
  for (const Candle& c : shown) {
    sets.append(new QCandlestickSet(c.open, c.high, c.low, c.close, static_cast<double>(c.minute + half)));
    low = sets.size() == 1 ? c.low : std::min(low, c.low);
    high = sets.size() == 1 ? c.high : std::max(high, c.high);
  }
  series_->append(sets);
  const double pad = high > low ? (high - low) * 0.05 : std::max(std::abs(high) * 0.001, 0.001);
  price_->setRange(low - pad, high + pad);
  price_->setVisible(!shown.empty());
  const QString frame = hourly_ ? QStringLiteral("1時間足") : QStringLiteral("日足");
  chart()->setTitle(daily_.empty() ? title_ : title_ + QStringLiteral("  ") + frame);
}

// Labels at the turns of months, weeks (Mondays) or days, whichever gives a readable few.
void CandleChart::Label(double from, double to) {
  for (const QString& label : labels_->categoriesLabels()) labels_->remove(label);
  labels_->setRange(from, to);
  labels_->setStartValue(from);
  const double days = (to - from) / kMinutesPerDay;
  for (QDate date = DateOfMinute(from); date <= DateOfMinute(to); date = date.addDays(1)) {
    const double at = static_cast<double>(kDayZero.daysTo(date) * kMinutesPerDay);
    if (at < from || at > to) continue;
    if (days > 92) {
      if (date.day() == 1) labels_->append(date.toString(QStringLiteral("yyyy/MM")), at);
    } else if (days > 21) {
      if (date.dayOfWeek() == 1) labels_->append(date.toString(QStringLiteral("MM/dd")), at);
    } else {
      labels_->append(date.toString(QStringLiteral("MM/dd")), at);
    }
  }
  labels_->setVisible(!daily_.empty());
}

}  // namespace arl
