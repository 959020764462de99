#pragma once
// CalendarHeatMap: the minutes on disk per day of one currency, one row per year and one cell per day
// of it (365 or 366), so that weekends, holidays and gaps show at a glance. A cell's colour goes from
// grey (no minute; lighter on a Saturday or Sunday, where none are expected) through light to dark
// green as the day fills up to its 1440 minutes; more than 1440 (a minute written twice) is drawn
// red. Hovering a cell shows its date and count, clicking a row chooses its year. The counts arrive
// a file at a time while the files are read; the map is painted from plain arrays, so 26 years of
// cells cost nothing to draw. It holds only what it is given: nothing here fails.
#include <QDate>
#include <QWidget>
#include <cstdint>
#include <vector>

namespace arl {

class CalendarHeatMap : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kFullDay = 1440;

  explicit CalendarHeatMap(QWidget* parent = nullptr);

  void Clear();
  // A row for the year (all cells empty) unless it has one.
  void AddYear(int year);
  // Adds the minutes of a day (days since 1899-12-30) to its cell, making its year's row if needed.
  void AddLines(std::int64_t day, std::int64_t lines);
  // The row drawn framed: the year whose candles are shown (0: none).
  void SetSelectedYear(int year);

  std::vector<int> Years() const;  // the rows, oldest first
  int Cells(int year) const;       // cells of the year's row (0 without one)
  std::int64_t Lines(QDate date) const;
  QRect CellRect(QDate date) const;    // where the date's cell is drawn (empty without one)
  QString ToolTipAt(QPoint at) const;  // the date and count of the cell there, or ""

  QSize sizeHint() const override;

 signals:
  void YearClicked(int year);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  bool event(QEvent* event) override;

 private:
  struct Row {
    int year = 0;
    std::vector<std::int64_t> lines;  // per day of the year, from 1 January
  };
  struct Grid {
    int left = 0, top = 0, cellWidth = 0, rowHeight = 0;
  };
  Grid Layout() const;
  Row* RowOf(int year);
  const Row* RowOf(int year) const;
  int RowAt(QPoint at) const;  // the index of the row there, or -1
  void Resize();

  std::vector<Row> rows_;  // in year order
  int selected_ = 0;
};

}  // namespace arl
