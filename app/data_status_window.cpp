#include "app/data_status_window.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QSplitter>
#include <QVBoxLayout>
#include <algorithm>
#include <memory>

#include "app/background_job.h"
#include "app/calendar_heat_map.h"
#include "app/candle_chart.h"
#include "convert/year_candles.h"
#include "support/currency_list.h"
#include "support/errors.h"
#include "support/inventory_days.h"

namespace arl {

namespace {

QString QText(const std::string& s) { return QString::fromStdString(s); }

// What a year file held that it should not, for the status line ("" when nothing).
QString FileProblem(const YearFileDays& file) {
  const YearFileCount& c = file.count;
  const QString name = QText(file.path);
  if (!c.readError.empty())
    return name + QStringLiteral(" を読めません (") + QText(c.readError) + QLatin1Char(')');
  QString problem;
  if (c.badLines > 0)
    problem =
        name +
        QStringLiteral(" に読めない行が %1 行あります (最初は %2 行目)").arg(c.badLines).arg(c.firstBadLine);
  if (c.tornBytes > 0)
    problem += (problem.isEmpty() ? name : QString()) + QStringLiteral(" の最後の行が途中で切れています");
  return problem;
}

}  // namespace

DataStatusWindow::DataStatusWindow(Paths paths, RunOptions options, QWidget* parent)
    : QWidget(parent, Qt::Window), paths_(std::move(paths)), options_(std::move(options)) {
  setAttribute(Qt::WA_WindowPropagation);  // the main window's Japanese font
  setWindowTitle(QStringLiteral("データ状況"));
  resize(1180, 760);

  auto* column = new QVBoxLayout(this);
  auto* bar = new QHBoxLayout;
  column->addLayout(bar);
  currencyBox_ = new QComboBox(this);
  currencyBox_->setObjectName(QStringLiteral("CurrencyBox"));
  yearBox_ = new QComboBox(this);
  yearBox_->setObjectName(QStringLiteral("YearBox"));
  wholeYear_ = new QPushButton(QStringLiteral("全体表示"), this);
  status_ = new QLabel(this);
  status_->setObjectName(QStringLiteral("DataStatus"));
  status_->setWordWrap(true);
  bar->addWidget(new QLabel(QStringLiteral("通貨"), this));
  bar->addWidget(currencyBox_);
  bar->addSpacing(12);
  bar->addWidget(new QLabel(QStringLiteral("年"), this));
  bar->addWidget(yearBox_);
  bar->addSpacing(12);
  bar->addWidget(wholeYear_);
  bar->addSpacing(12);
  bar->addWidget(status_, 1);

  split_ = new QSplitter(Qt::Vertical, this);
  auto* scroll = new QScrollArea(split_);
  calendar_ = new CalendarHeatMap(scroll);
  scroll->setWidget(calendar_);
  scroll->setWidgetResizable(true);
  chart_ = new CandleChart(split_);
  split_->addWidget(scroll);
  split_->addWidget(chart_);
  split_->setSizes({320, 440});
  column->addWidget(split_, 1);

  calendarJob_ = new BackgroundJob(this);
  candleJob_ = new BackgroundJob(this);
  connect(currencyBox_, &QComboBox::textActivated, this, &DataStatusWindow::ChooseCurrency);
  connect(yearBox_, &QComboBox::textActivated, this,
          [this](const QString& year) { ChooseYear(year.toInt()); });
  connect(calendar_, &CalendarHeatMap::YearClicked, this, &DataStatusWindow::ChooseYear);
  connect(wholeYear_, &QPushButton::clicked, chart_, &CandleChart::ShowAll);
  connect(calendarJob_, &BackgroundJob::Done, this, [this] {
    const std::vector<int> years = calendar_->Years();
    QString done = ticker_ + QStringLiteral(": %1 年分").arg(years.size());
    if (years.empty())
      done = ticker_ + QStringLiteral(": 1分足のファイルがありません (") +
             QText(paths_.CurrencyDir(options_, ticker_.toStdString())) + QLatin1Char(')');
    calendarStatus_ = calendarProblems_.isEmpty() ? done : done + QLatin1Char('\n') + calendarProblems_;
    ShowStatus();
    // The calendar's pane as tall as its rows, up to half the window.
    const int total = split_->sizes().value(0) + split_->sizes().value(1);
    const int wanted = std::min(calendar_->sizeHint().height() + 4, total / 2);
    split_->setSizes({wanted, total - wanted});
    emit CalendarRead();
    if (years.empty()) return;
    // The year shown before stays when this currency has it too.
    ChooseYear(std::find(years.begin(), years.end(), year_) != years.end() ? year_ : years.back());
  });

  try {
    for (const std::string& ticker : LoadCurrencyList(paths_.CurrencyListPath))
      currencyBox_->addItem(QText(ticker));
  } catch (const Exception& e) {
    calendarStatus_ = (QStringLiteral("通貨リスト ") + QText(paths_.CurrencyListPath) +
                       QStringLiteral(" を読めません (") + QText(e.what()) + QLatin1Char(')'));
    ShowStatus();
  }
  if (currencyBox_->count() > 0) ChooseCurrency(currencyBox_->itemText(0));
}

// The reading threads end before the widgets they report to.
DataStatusWindow::~DataStatusWindow() {
  delete calendarJob_;
  delete candleJob_;
}

void DataStatusWindow::SetOptions(RunOptions options) {
  options_ = std::move(options);
  if (!ticker_.isEmpty()) ChooseCurrency(ticker_);
}

void DataStatusWindow::ChooseCurrency(const QString& ticker) {
  ticker_ = ticker;
  currencyBox_->setCurrentText(ticker);
  candleJob_->Abandon();
  shownTicker_.clear();
  calendar_->Clear();
  yearBox_->clear();
  chart_->Clear(QString());
  calendarProblems_.clear();
  calendarStatus_ = ticker + QStringLiteral(": 読み込み中…");
  candleStatus_.clear();
  ShowStatus();
  ReadCalendar();
}

void DataStatusWindow::ChooseYear(int year) {
  if (year == year_ && shownTicker_ == ticker_) return;
  year_ = year;
  shownTicker_ = ticker_;
  calendar_->SetSelectedYear(year);
  yearBox_->setCurrentText(QString::number(year));
  ReadCandles();
}

QString DataStatusWindow::Status() const { return status_->text(); }

void DataStatusWindow::SetReadingHook(const std::function<void()>& hook) {
  calendarJob_->onCheck = hook;
  candleJob_->onCheck = hook;
}

void DataStatusWindow::ShowStatus() {
  status_->setText(candleStatus_.isEmpty() ? calendarStatus_
                                           : calendarStatus_ + QLatin1Char('\n') + candleStatus_);
}

void DataStatusWindow::ReadCalendar() {
  calendarJob_->Start([this, paths = paths_, options = options_, ticker = ticker_.toStdString()](
                          const CancelToken& cancel, const BackgroundJob::Post& post) {
    CountTickerDays(paths, options, ticker, cancel, [this, &post](YearFileDays&& done) {
      auto file = std::make_shared<YearFileDays>(std::move(done));
      post([this, file] {
        calendar_->AddYear(file->year);
        for (const auto& [day, lines] : file->linesByDay) calendar_->AddLines(day, lines);
        yearBox_->clear();
        for (const int year : calendar_->Years()) yearBox_->addItem(QString::number(year));
        if (year_ != 0) yearBox_->setCurrentText(QString::number(year_));
        const QString problem = FileProblem(*file);
        if (!problem.isEmpty()) calendarProblems_ += (calendarProblems_.isEmpty() ? "" : "\n") + problem;
      });
    });
  });
}

void DataStatusWindow::ReadCandles() {
  const QString title = ticker_ + QStringLiteral("  %1年").arg(year_);
  chart_->Clear(title + QStringLiteral("  読み込み中…"));
  candleStatus_.clear();
  ShowStatus();
  candleJob_->Start([this, title, paths = paths_, options = options_, ticker = ticker_.toStdString(),
                     year = year_](const CancelToken& cancel, const BackgroundJob::Post& post) {
    if (cancel.Cancelled()) return;  // another year or currency was chosen before this one began
    auto candles = std::make_shared<YearCandles>(MakeYearCandles(paths, options, ticker, year));
    post([this, title, candles] {
      if (candles->daily.empty())
        chart_->Clear(title + QStringLiteral("  ローソク足がありません"));
      else
        chart_->SetCandles(title, std::move(candles->daily), std::move(candles->hourly));
      candleStatus_ = QText(candles->problem).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
      ShowStatus();
      emit CandlesRead();
    });
  });
}

}  // namespace arl
