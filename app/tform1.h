#pragma once
// TForm1: the program's one window. It holds the options as its controls' values, the log pane, the
// page shown last and the status bar, and it is the Host of every run: the cancel button's enabled
// state is the run's go-on flag, and pumping runs the Qt event loop, so the cancel button's handler
// runs nested inside the run. An error that ends a run is shown by the top-level handler after the
// run's closing steps. Closing the window during a run waits for the run to end. In auto mode the
// window closes after its one run, even a run refused before it started (another run holds the
// home), and boxes with only OK close themselves after a while.
#include <QMainWindow>
#include <memory>

#include "app/form_config.h"
#include "app/memo_pane.h"
#include "run/host.h"
#include "run/session.h"

class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSplitter;
class QStatusBar;
class QTextBrowser;
class QTimer;

namespace arl {

class PageBrowser;
class Downloader;
class RadioGroup;

class TForm1 : public QMainWindow, public Host {
  Q_OBJECT

 public:
  TForm1(PageBrowser& browser, Downloader& downloader, FormConfig config = {}, QWidget* parent = nullptr);
  ~TForm1() override;

  Session& session() { return session_; }
  bool Running() const { return running_; }
  // The last run failed somewhere or an error ended it (or kept it from starting): auto mode's exit
  // status.
  bool LastRunFailed() const { return lastRunFailed_; }

  // Host
  Pane& Memo1() override { return *memo1Pane_; }
  Pane& Memo2() override { return *memo2Pane_; }
  void SetStatus(std::string_view text) override;
  void Pump() override;
  void Repaint() override;
  bool GoOn() const override;
  void SetGoOn(bool goOn) override;
  void MessageBoxOk(std::string_view text, std::string_view caption) override;
  bool ConfirmOkCancel(std::string_view text, std::string_view caption) override;
  OptionValues Options() const override;
  void SaveSettings() override;
  void EnterBusyUi() override;
  void LeaveBusyUi() override;
  void RequestClose() override;

 public slots:
  void Button1Click();       // one run, inside the top-level error handler
  void CancelButtonClick();  // the confirmation; runs nested inside a run
  void Timer1Timer();        // the start-up decision: auto run or the read-me page

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
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
  QPushButton *Button1 = nullptr, *CancelButton = nullptr;
  QCheckBox* CheckBox1 = nullptr;
  QTimer* Timer1 = nullptr;

  std::unique_ptr<MemoPane> memo1Pane_, memo2Pane_;
  Session session_;
};

}  // namespace arl
