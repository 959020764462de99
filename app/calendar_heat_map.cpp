#include "app/calendar_heat_map.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>
#include <algorithm>

namespace arl {

namespace {

constexpr int kMostDays = 366;
const QDate kDayZero(1899, 12, 30);  // day number 0

bool IsWeekend(QDate date) { return date.dayOfWeek() >= 6; }

QColor CellColour(std::int64_t lines, bool weekend) {
  if (lines <= 0) return weekend ? QColor(236, 236, 236) : QColor(196, 196, 196);
  if (lines > CalendarHeatMap::kFullDay) return QColor(214, 39, 40);
  // From light green for a minute or two to dark green for a full day.
  const double full = static_cast<double>(lines) / CalendarHeatMap::kFullDay;
  auto mix = [full](int from, int to) { return from + static_cast<int>((to - from) * full); };
  return QColor(mix(198, 25), mix(228, 97), mix(139, 39));
}

QString DayText(QDate date) {
  static const QString weekdays = QStringLiteral("月火水木金土日");
  return date.toString(QStringLiteral("yyyy/MM/dd")) + QLatin1Char('(') + weekdays[date.dayOfWeek() - 1] +
         QLatin1Char(')');
}

}  // namespace

CalendarHeatMap::CalendarHeatMap(QWidget* parent) : QWidget(parent) {
  setMouseTracking(true);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  Resize();
}

void CalendarHeatMap::Clear() {
  rows_.clear();
  selected_ = 0;
  Resize();
}

void CalendarHeatMap::AddYear(int year) {
  if (RowOf(year) != nullptr) return;
  const auto at =
      std::lower_bound(rows_.begin(), rows_.end(), year, [](const Row& row, int y) { return row.year < y; });
  rows_.insert(
      at, Row{year, std::vector<std::int64_t>(static_cast<std::size_t>(QDate(year, 1, 1).daysInYear()))});
  Resize();
}

void CalendarHeatMap::AddLines(std::int64_t day, std::int64_t lines) {
  const QDate date = kDayZero.addDays(day);
  if (!date.isValid()) return;
  AddYear(date.year());
  RowOf(date.year())->lines[static_cast<std::size_t>(date.dayOfYear() - 1)] += lines;
  update();
}

void CalendarHeatMap::SetSelectedYear(int year) {
  selected_ = year;
  update();
}

std::vector<int> CalendarHeatMap::Years() const {
  std::vector<int> years;
  for (const Row& row : rows_) years.push_back(row.year);
  return years;
}

int CalendarHeatMap::Cells(int year) const {
  const Row* row = RowOf(year);
  return row == nullptr ? 0 : static_cast<int>(row->lines.size());
}

std::int64_t CalendarHeatMap::Lines(QDate date) const {
  const Row* row = RowOf(date.year());
  return row == nullptr ? 0 : row->lines[static_cast<std::size_t>(date.dayOfYear() - 1)];
}

QRect CalendarHeatMap::CellRect(QDate date) const {
  const Grid g = Layout();
  for (std::size_t r = 0; r < rows_.size(); ++r)
    if (rows_[r].year == date.year())
      return QRect(g.left + (date.dayOfYear() - 1) * g.cellWidth, g.top + static_cast<int>(r) * g.rowHeight,
                   g.cellWidth, g.rowHeight);
  return {};
}

QString CalendarHeatMap::ToolTipAt(QPoint at) const {
  const int r = RowAt(at);
  if (r < 0) return {};
  const Grid g = Layout();
  const Row& row = rows_[static_cast<std::size_t>(r)];
  const int index = (at.x() - g.left) / g.cellWidth;
  if (at.x() < g.left || index >= static_cast<int>(row.lines.size())) return {};
  const QDate date = QDate(row.year, 1, 1).addDays(index);
  return DayText(date) + QStringLiteral("  分足の数 ") +
         QString::number(row.lines[static_cast<std::size_t>(index)]);
}

QSize CalendarHeatMap::sizeHint() const {
  const Grid g = Layout();
  return {g.left + kMostDays * 3 + 4, g.top + static_cast<int>(rows_.size()) * g.rowHeight + 2 * g.rowHeight};
}

CalendarHeatMap::Grid CalendarHeatMap::Layout() const {
  const QFontMetrics metrics = fontMetrics();
  Grid g;
  g.left = metrics.horizontalAdvance(QStringLiteral("0000")) + 10;
  g.top = metrics.height() + 4;
  g.rowHeight = std::max(16, metrics.height() + 4);
  g.cellWidth = std::max(2, (width() - g.left - 4) / kMostDays);
  return g;
}

CalendarHeatMap::Row* CalendarHeatMap::RowOf(int year) {
  for (Row& row : rows_)
    if (row.year == year) return &row;
  return nullptr;
}

const CalendarHeatMap::Row* CalendarHeatMap::RowOf(int year) const {
  return const_cast<CalendarHeatMap*>(this)->RowOf(year);
}

int CalendarHeatMap::RowAt(QPoint at) const {
  const Grid g = Layout();
  if (at.y() < g.top) return -1;
  const int r = (at.y() - g.top) / g.rowHeight;
  return r < static_cast<int>(rows_.size()) ? r : -1;
}

void CalendarHeatMap::Resize() {
  setMinimumHeight(sizeHint().height());
  updateGeometry();
  update();
}

void CalendarHeatMap::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), palette().base());
  const Grid g = Layout();
  const int textHeight = fontMetrics().height();
  // The months along the top, placed as in a year without 29 February.
  p.setPen(palette().color(QPalette::Text));
  for (int month = 1; month <= 12; ++month) {
    const int x = g.left + (QDate(2001, month, 1).dayOfYear() - 1) * g.cellWidth;
    p.drawText(x, 2, 40, textHeight, Qt::AlignLeft, QString::number(month) + QStringLiteral("月"));
  }
  const int gap = g.cellWidth > 3 ? 1 : 0;
  for (std::size_t r = 0; r < rows_.size(); ++r) {
    const Row& row = rows_[r];
    const int y = g.top + static_cast<int>(r) * g.rowHeight;
    p.setPen(palette().color(QPalette::Text));
    p.drawText(0, y, g.left - 6, g.rowHeight, Qt::AlignRight | Qt::AlignVCenter, QString::number(row.year));
    QDate date(row.year, 1, 1);
    for (std::size_t i = 0; i < row.lines.size(); ++i, date = date.addDays(1))
      p.fillRect(g.left + static_cast<int>(i) * g.cellWidth, y + 1, g.cellWidth - gap, g.rowHeight - 2,
                 CellColour(row.lines[i], IsWeekend(date)));
    if (row.year == selected_) {
      p.setPen(QPen(QColor(30, 90, 200), 2));
      p.drawRect(g.left - 1, y, static_cast<int>(row.lines.size()) * g.cellWidth + 1, g.rowHeight);
    }
  }
  // The key below the rows.
  int x = g.left;
  const int y = g.top + static_cast<int>(rows_.size()) * g.rowHeight + g.rowHeight / 2;
  p.setPen(palette().color(QPalette::Text));
  auto key = [&](const QColor& colour, const QString& text) {
    p.fillRect(x, y + 2, g.rowHeight - 4, g.rowHeight - 4, colour);
    x += g.rowHeight;
    const int w = fontMetrics().horizontalAdvance(text);
    p.drawText(x, y, w, g.rowHeight, Qt::AlignLeft | Qt::AlignVCenter, text);
    x += w + 12;
  };
  const QString caption = QStringLiteral("分足の数:");
  p.drawText(x, y, 200, g.rowHeight, Qt::AlignLeft | Qt::AlignVCenter, caption);
  x += fontMetrics().horizontalAdvance(caption) + 8;
  key(CellColour(0, false), QStringLiteral("なし"));
  key(CellColour(0, true), QStringLiteral("なし (土日)"));
  for (int lines : {1, kFullDay / 2, kFullDay}) key(CellColour(lines, false), QString::number(lines));
  key(CellColour(kFullDay + 1, false), QStringLiteral("1440超"));
}

void CalendarHeatMap::mousePressEvent(QMouseEvent* event) {
  const int r = RowAt(event->position().toPoint());
  if (event->button() == Qt::LeftButton && r >= 0) emit YearClicked(rows_[static_cast<std::size_t>(r)].year);
}

bool CalendarHeatMap::event(QEvent* event) {
  if (event->type() == QEvent::ToolTip) {
    auto* help = static_cast<QHelpEvent*>(event);
    const QString text = ToolTipAt(help->pos());
    if (text.isEmpty())
      QToolTip::hideText();
    else
      QToolTip::showText(help->globalPos(), text, this);
    return true;
  }
  return QWidget::event(event);
}

}  // namespace arl
