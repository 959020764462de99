// The window's life: start-up (FormCreate), the one-shot start-up timer, runs from the button or
// the timer inside the top-level error handler, and closing, which waits for a run to end.
#include "app/tform1.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTextBrowser>
#include <QTimer>
#include <exception>
#include <filesystem>

#include "acquire/page_access.h"
#include "acquire/page_browser.h"
#include "run/run_control.h"
#include "support/datetime.h"
#include "support/files.h"
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
      session_(*this, browser, downloader,
               Paths::ForAppDir(config_.appDir.empty() ? ExecutableDir() : config_.appDir)) {
  createdWidth_ = Px(928);
  createdHeight_ = Px(694);
  BuildControls();
  resize(createdWidth_, createdHeight_);
  FormCreate();
}

TForm1::~TForm1() {
  browser_.onPageLoaded = nullptr;
  // Settings are written once more on the way out.
  try {
    SaveSettings();
  } catch (const std::exception&) {
    // Nothing to show them to any more; the next start reads the last good file.
  }
}

int TForm1::Px(int pixelsAt96Dpi) const { return static_cast<int>(pixelsAt96Dpi * scale_ + 0.5); }

void TForm1::FormCreate() {
  StatusBar1->showMessage(QString::fromUtf8(kCreditLine));
  CancelButton->hide();

  // The page panel shows every page the browser loads: the read-me, the archive pages, error pages.
  browser_.onPageLoaded = [this](const std::string&, const std::string& html) {
    WebBrowser1->setHtml(QString::fromUtf8(html));
  };
  browser_.Navigate("about:blank");
  WaitForBrowser(session_);

  Memo1().Clear();
  Memo2().Clear();
  Label8->setText(QStringLiteral("+ %1.txt").arg(CurrentYear(Now())));
  Button1->setEnabled(false);
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
  Pump();
  Button1->setEnabled(true);
  if (!config_.args.empty() && config_.args.front() == "auto") {
    session_.autoMode = true;
    Button1Click();
    return;
  }
  try {
    std::string dir =
        config_.currentDir.empty() ? std::filesystem::current_path().string() : config_.currentDir;
    Pump();
    std::string address = "file://" + dir + "/readme.html";
    Pump();
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
  bool raised = true;
  try {
    arl::Button1Click(session_);
    raised = false;
  } catch (const std::exception& e) {
    ShowError(e.what());
  } catch (...) {
    ShowError("unknown error");
  }
  // A refused run raises before it resets the outcome; what it holds then is an earlier run's.
  lastRunFailed_ = raised || session_.outcome.Failed();
  running_ = false;
  // A refused run never reaches the closing steps that ask an auto-mode window to close.
  if (closePending_ || session_.autoMode) {
    closePending_ = false;
    close();
  }
}

void TForm1::CancelButtonClick() {
  // Runs nested in the run's pumping; an error here (the log file gone) must not unwind through Qt.
  try {
    arl::CancelButtonClick(session_);
  } catch (const std::exception& e) {
    ShowError(e.what());
  }
}

void TForm1::RequestClose() {
  if (running_) {
    closePending_ = true;
  } else {
    close();
  }
}

void TForm1::closeEvent(QCloseEvent* event) {
  if (running_) {
    // The run goes on to its end, closing steps included; the window closes after it.
    closePending_ = true;
    event->ignore();
    return;
  }
  QMainWindow::closeEvent(event);
}

void TForm1::ShowError(const std::string& text) { Box({BoxRequest::Kind::Error, text, "Auto Rateloom"}); }

bool TForm1::Box(BoxRequest request) {
  if (config_.boxHook) return config_.boxHook(request);
  return ShowMessageBox(this, request, session_.autoMode ? config_.autoOkBoxCloseMs : 0);
}

}  // namespace arl
