// The window's life: start-up (FormCreate), the one-shot start-up timer, runs from the button or
// the timer on a thread of their own, the cancel request, and closing, which waits for a run to end.
#include "app/tform1.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTextBrowser>
#include <QThread>
#include <QTimer>
#include <exception>

#include "acquire/page_access.h"
#include "acquire/page_browser.h"
#include "app/progress_panel.h"
#include "app/run_summary_box.h"
#include "run/run_control.h"
#include "support/datetime.h"
#include "support/files.h"
#include "support/program_files.h"
#include "support/settings.h"
#include "support/text.h"

namespace arl {

namespace {

constexpr char kCreditLine[] =
    "Auto Rateloom - 1分足ヒストリカルデータの自動ダウンロードと変換 - 「実行」で開始します";

double ScreenScale() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  return screen ? screen->logicalDotsPerInch() / 96.0 : 1.0;
}

}  // namespace

TForm1::TForm1(PageBrowser& browser, Downloader& downloader, FormConfig config, QWidget* parent)
    : QMainWindow(parent),
      config_(std::move(config)),
      browser_(browser),
      scale_(ScreenScale()),
      session_(static_cast<RunEvents&>(*this), browser, downloader,
               Paths::ForAppDir(config_.appDir.empty() ? ExecutableDir() : config_.appDir)) {
  createdWidth_ = Px(928);
  createdHeight_ = Px(694);
  BuildControls();
  resize(createdWidth_, createdHeight_);
  FormCreate();
}

TForm1::~TForm1() {
  if (runThread_) {
    // The window is going away under a run (the application quits): the run is cancelled, asks
    // nothing more, and the window's queue is served until its thread has ended.
    closing_ = true;
    session_.cancel.Cancel();
    // The queue served may hold the run's end, which deletes the thread itself.
    while (runThread_ != nullptr && !runThread_->wait(10)) QCoreApplication::processEvents();
    delete runThread_;
    runThread_ = nullptr;
  }
  browser_.onPageLoaded = nullptr;
  // Settings are written once more on the way out.
  try {
    WriteSettings(session_.paths.SettingsPath, CurrentSettings());
  } catch (const std::exception&) {
    // Nothing to show them to any more; the next start reads the last good file.
  }
}

int TForm1::Px(int pixelsAt96Dpi) const { return static_cast<int>(pixelsAt96Dpi * scale_ + 0.5); }

void TForm1::FormCreate() {
  StatusBar1->showMessage(QString::fromUtf8(kCreditLine));
  // How far a run has come, left of the home and only during a run.
  progressPanel_ = new ProgressPanel(StatusBar1, Px(160));
  StatusBar1->addPermanentWidget(progressPanel_);
  // Where the settings, the log and the data are: the home, at all times in the status bar's corner.
  auto* homeLabel = new QLabel(QString::fromStdString("ホーム: " + session_.paths.AppDir), StatusBar1);
  homeLabel->setObjectName(QStringLiteral("HomeLabel"));
  StatusBar1->addPermanentWidget(homeLabel);
  CancelButton->hide();

  // The page panel shows every page the browser loads: the read-me, the archive pages, error pages.
  // A run loads its pages on its own thread.
  browser_.onPageLoaded = [this](const std::string&, const std::string& html) {
    OnWindowThread([this, page = QString::fromUtf8(html)] { WebBrowser1->setHtml(page); });
  };
  browser_.Navigate("about:blank");
  WaitForBrowser(session_);

  memo1Pane_->Show({});
  memo2Pane_->Show({});
  Label8->setText(QStringLiteral("+ %1.txt").arg(CurrentYear(Now())));
  Button1->setEnabled(false);
  // Until 実行 is enabled the focus rests on the window itself, not on the first pane.
  centralWidget()->setFocus(Qt::OtherFocusReason);
  PrepareWorkingFolders(session_.paths);
  LoadSettings();
}

void TForm1::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (shownOnce_) return;
  shownOnce_ = true;
  Timer1->start();
}

void TForm1::Timer1Timer() {
  Timer1->stop();
  Button1->setEnabled(true);
  // 実行 takes the first focus, unless the user has put it somewhere meanwhile.
  if (!focusWidget() || focusWidget() == centralWidget()) Button1->setFocus(Qt::OtherFocusReason);
  if (!config_.args.empty() && config_.args.front() == "auto") {
    session_.autoMode = true;
    Button1Click();
    return;
  }
  try {
    std::string dir = config_.currentDir.empty() ? CurrentProgramFiles().dataDir : config_.currentDir;
    if (!dir.ends_with('/')) dir += '/';
    std::string address = "file://" + dir + "readme.html";
    address = ReplaceAll(address, " ", "%20");
    browser_.Navigate(address);
    WaitForBrowser(session_);
  } catch (const std::exception& e) {
    ShowError(e.what());
  }
}

void TForm1::Button1Click() {
  if (running_) return;
  running_ = true;
  runError_.clear();
  runRaised_ = false;
  runSummary_.clear();
  runClock_.start();
  runSettings_ = CurrentSettings();
  const OptionValues options = runSettings_.Options;
  runThread_ = QThread::create([this, options] {
    try {
      RunOnce(session_, options);
    } catch (const std::exception& e) {
      runRaised_ = true;
      runError_ = e.what();
    } catch (...) {
      runRaised_ = true;
      runError_ = "unknown error";
    }
  });
  connect(runThread_, &QThread::finished, this, &TForm1::OnRunFinished, Qt::QueuedConnection);
  runThread_->start();
}

void TForm1::OnRunFinished() {
  runThread_->wait();
  delete runThread_;
  runThread_ = nullptr;
  progressPanel_->Finish();
  // The run's last reports were queued before its thread finished: they are shown by now.
  if (runRaised_) ShowError(runError_);
  // A refused run raises before it resets the outcome; what it holds then is an earlier run's.
  lastRunFailed_ = runRaised_ || session_.outcome.Failed();
  running_ = false;
  // An auto-mode window closes now and leaves nobody to read it; the log holds the summary anyway.
  if (!runSummary_.isEmpty() && !session_.autoMode && !closePending_ && !closing_)
    ShowRunSummary(this, runSummary_);
  emit RunEnded();
  // A refused run never reaches the busy state, yet an auto-mode window closes after it too.
  if (closePending_ || session_.autoMode) {
    closePending_ = false;
    close();
  }
}

bool TForm1::ConfirmCancel() { return Box({BoxRequest::Kind::OkCancel, "キャンセルしますか？", "確認"}); }

void TForm1::CancelButtonClick() {
  // 中止 appears under the pointer that has just clicked 実行: a double-click's second click is no
  // request to cancel.
  if (runClock_.isValid() && runClock_.elapsed() < QApplication::doubleClickInterval()) return;
  // The run may have ended while the question was open: then there is nothing left to cancel.
  if (!running_ || !CancelButton->isEnabled() || !ConfirmCancel() || !running_) return;
  CancelButton->setEnabled(false);
  try {
    RequestCancel(session_);
  } catch (const std::exception& e) {
    ShowError(e.what());  // the log file is gone; the cancel stands
  }
}

void TForm1::closeEvent(QCloseEvent* event) {
  if (!running_) {
    QMainWindow::closeEvent(event);
    return;
  }
  // The window closes when the run has ended; a run still going on is cancelled first, if the user
  // agrees.
  event->ignore();
  if (closePending_) return;
  if (CancelButton->isEnabled()) {
    if (!ConfirmCancel()) return;
    if (!running_) {  // the run ended while the question was open: nothing is left to wait for
      event->accept();
      return;
    }
    CancelButton->setEnabled(false);
    try {
      RequestCancel(session_);
    } catch (const std::exception& e) {
      ShowError(e.what());
    }
  }
  closePending_ = true;
}

void TForm1::ShowError(const std::string& text) { Box({BoxRequest::Kind::Error, text, "Auto Rateloom"}); }

bool TForm1::Box(BoxRequest request) {
  if (config_.boxHook) return config_.boxHook(request);
  return ShowMessageBox(this, request, session_.autoMode ? config_.autoOkBoxCloseMs : 0);
}

}  // namespace arl
