#pragma once
// TForm1: the program's one window. It holds the options as its controls' values, the log pane, the
// page shown last and the status bar. A run goes on a worker thread of its own (RunOnce), so the
// window never freezes: what the run reports (RunEvents) reaches the window's thread as queued calls,
// in the order the run made them; a box the run asks for is shown on the window's thread while the
// run waits for the answer. The cancel button, after its confirmation, sets the run's cancel token
// and stays disabled until the run has ended; a click on it within a double-click's time of the
// run's start is the second half of a double-click on 実行 and is ignored. An error that ends a run
// is shown after the run's closing steps, then the run's summary in a box that blocks nothing.
// Closing the window during a run asks whether to cancel; the window closes when the run has ended.
// In auto mode the window closes after its one run, even a run refused before it started (another
// run holds the home), boxes with only OK close themselves after a while, and no summary box shows.
// The log panes are read-only and stay readable during a run; 実行 has the first focus. During a run
// the status bar also shows how far it has come (ProgressPanel), beside the home.
#include <QElapsedTimer>
#include <QMainWindow>
#include <QMetaObject>
#include <QPointer>
#include <array>
#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "app/form_config.h"
#include "app/memo_pane.h"
#include "run/run_events.h"
#include "run/session.h"
#include "support/settings.h"
#include "support/timeframes.h"

class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSplitter;
class QStatusBar;
class QTextBrowser;
class QThread;
class QTimer;

namespace arl {

class DataStatusWindow;
class PageBrowser;
class Downloader;
class ProgressPanel;
class RadioGroup;

class TForm1 : public QMainWindow, private RunEvents {
  Q_OBJECT

 public:
  TForm1(PageBrowser& browser, Downloader& downloader, FormConfig config = {}, QWidget* parent = nullptr);
  ~TForm1() override;

  Session& session() { return session_; }
  bool Running() const { return running_; }
  // The last run failed somewhere or an error ended it (or kept it from starting): auto mode's exit
  // status.
  bool LastRunFailed() const { return lastRunFailed_; }

  // The panes as they show now (tests read them).
  const MemoPane& LogPane() const { return *memo1Pane_; }
  const MemoPane& LinksPane() const { return *memo2Pane_; }
  // The options as the controls hold them.
  OptionValues Options() const;

 public slots:
  void Button1Click();       // starts one run on its worker thread; nothing while one runs
  void CancelButtonClick();  // the confirmation, then the cancel request
  void Timer1Timer();        // the start-up decision: auto run or the read-me page
  void DataButtonClick();    // opens 「データ状況」 over the home, with the options as they are now

 signals:
  void RunEnded();  // after a run's thread has finished and the window is idle again

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  // RunEvents: called on the run's thread; each hands its work to the window's thread.
  void Logged(std::string_view line) override;
  void StatusChanged(std::string_view text) override;
  void ListShown(ListPane pane, const LineList& lines) override;
  void BusyChanged(bool busy) override;
  void MessageBoxOk(std::string_view text, std::string_view caption) override;
  void SaveSettings() override;
  void Summarized(std::string_view summary) override;
  void Progressed(const RunProgress& progress) override;
  // Queued also when called on the window's thread (a cancel logs from there): one queue keeps one
  // order.
  template <typename F>
  void OnWindowThread(F&& work) {
    QMetaObject::invokeMethod(this, std::forward<F>(work), Qt::QueuedConnection);
  }

  void OnRunFinished();
  void EnterBusyUi();
  void LeaveBusyUi();
  bool ConfirmCancel();  // asks "キャンセルしますか？"; true for OK
  StoredSettings CurrentSettings() const;
  void FormCreate();
  void BuildControls();
  void LoadSettings();
  int Px(int pixelsAt96Dpi) const;  // scaled with the screen's pixel density
  QList<QWidget*> OptionControls() const;
  bool Box(BoxRequest request);
  void ShowError(const std::string& text);

  FormConfig config_;
  PageBrowser& browser_;
  double scale_ = 1.0;
  int createdWidth_ = 928, createdHeight_ = 694;
  bool shownOnce_ = false, running_ = false, closePending_ = false, lastRunFailed_ = false;
  QThread* runThread_ = nullptr;
  std::string runError_;              // the text of the error that ended the last run ("" when none)
  QString runSummary_;                // the last run's summary ("" when it was refused)
  QElapsedTimer runClock_;            // since the last run's start
  bool runRaised_ = false;            // an error escaped the last run (or kept it from starting)
  StoredSettings runSettings_;        // what the run being started saves
  std::atomic<bool> closing_{false};  // the window is going away: the run's boxes are not shown

  QStatusBar* StatusBar1 = nullptr;
  QFrame *Panel1 = nullptr, *Panel2 = nullptr, *Panel3 = nullptr;
  QPlainTextEdit *Memo1Edit = nullptr, *Memo2Edit = nullptr;
  QSplitter* Splitter1 = nullptr;
  QTextBrowser* WebBrowser1 = nullptr;
  RadioGroup *RadioGroup1 = nullptr, *RadioGroup2 = nullptr, *RadioGroup3 = nullptr;
  QLabel *Label1 = nullptr, *Label3 = nullptr, *Label4 = nullptr, *Label5 = nullptr, *Label7 = nullptr,
         *Label8 = nullptr;
  QLineEdit *EditURL = nullptr, *EditRetryLimit = nullptr, *EditLongTimeFormat = nullptr,
            *EditGmtGap = nullptr, *EditFileHeadName = nullptr;
  QPushButton *Button1 = nullptr, *CancelButton = nullptr, *DataButton = nullptr;
  QCheckBox* CheckBox1 = nullptr;
  QFrame* TimeframeBox = nullptr;
  std::array<QCheckBox*, kTimeframeCount> TimeframeChecks{};
  // Words of the stored Timeframes setting that name no timeframe: kept, so that the run says so.
  std::vector<std::string> unknownTimeframes_;
  QTimer* Timer1 = nullptr;
  ProgressPanel* progressPanel_ = nullptr;  // in the status bar, during a run

  QPointer<DataStatusWindow> dataWindow_;  // while it is open
  std::unique_ptr<MemoPane> memo1Pane_, memo2Pane_;
  Session session_;
};

}  // namespace arl
