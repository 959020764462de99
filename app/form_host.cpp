// The window as the run's audience: what the run reports arrives on the run's thread and is handed
// to the window's thread in the order it was made; the busy and idle states (the options locked,
// the log panes still readable); the options as the controls hold them.
#include <QCheckBox>
#include <QFrame>
#include <QLineEdit>
#include <QMetaObject>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QThread>

#include "app/progress_panel.h"
#include "app/radio_group.h"
#include "app/tform1.h"

namespace arl {

namespace {
std::string Text(const QLineEdit* edit) { return edit->text().toStdString(); }
QString QText(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }
}  // namespace

void TForm1::Logged(std::string_view line) {
  OnWindowThread([this, line = std::string(line)] { memo1Pane_->Add(line); });
}

void TForm1::StatusChanged(std::string_view text) {
  OnWindowThread([this, text = QText(text)] { StatusBar1->showMessage(text); });
}

void TForm1::ListShown(ListPane pane, const LineList& lines) {
  MemoPane* memo = pane == ListPane::Log ? memo1Pane_.get() : memo2Pane_.get();
  OnWindowThread([memo, lines] { memo->Show(lines); });
}

void TForm1::BusyChanged(bool busy) {
  OnWindowThread([this, busy] { busy ? EnterBusyUi() : LeaveBusyUi(); });
}

void TForm1::MessageBoxOk(std::string_view text, std::string_view caption) {
  BoxRequest request{BoxRequest::Kind::Ok, std::string(text), std::string(caption)};
  if (closing_) return;  // nobody is left to answer
  if (QThread::currentThread() == thread()) {
    Box(request);
    return;
  }
  // The run waits for the answer, as it would for a modal box on its own thread.
  QMetaObject::invokeMethod(
      this,
      [this, &request] {
        if (!closing_) Box(request);
      },
      Qt::BlockingQueuedConnection);
}

void TForm1::SaveSettings() { WriteSettings(session_.paths.SettingsPath, runSettings_); }

void TForm1::Summarized(std::string_view summary) {
  OnWindowThread([this, text = QText(summary)] { runSummary_ = text; });
}

void TForm1::Progressed(const RunProgress& progress) {
  OnWindowThread([this, progress] { progressPanel_->Show(progress); });
}

OptionValues TForm1::Options() const {
  OptionValues o;
  o.EditURL = Text(EditURL);
  o.EditLongTimeFormat = Text(EditLongTimeFormat);
  o.EditFileHeadName = Text(EditFileHeadName);
  o.EditGmtGap = Text(EditGmtGap);
  o.EditRetryLimit = Text(EditRetryLimit);
  o.RadioGroup1 = RadioGroup1->ItemIndex();
  o.RadioGroup2 = RadioGroup2->ItemIndex();
  o.RadioGroup3 = RadioGroup3->ItemIndex();
  o.CheckBox1 = CheckBox1->isChecked();
  TimeframeSet frames;
  for (const TimeframeInfo& frame : kTimeframes)
    if (TimeframeChecks[IndexOf(frame.frame)]->isChecked()) frames.Add(frame.frame);
  o.Timeframes = TimeframesText(frames);
  for (const std::string& word : unknownTimeframes_) o.Timeframes += (o.Timeframes.empty() ? "" : ",") + word;
  return o;
}

QList<QWidget*> TForm1::OptionControls() const {
  return {EditURL,     EditLongTimeFormat, EditFileHeadName, EditGmtGap, EditRetryLimit,
          RadioGroup1, RadioGroup2,        RadioGroup3,      CheckBox1,  TimeframeBox};
}

// The keyboard's place moves with the buttons: from 実行 to 中止 and back.
void TForm1::EnterBusyUi() {
  const bool onRunButton = focusWidget() == Button1;
  Button1->setEnabled(false);
  Button1->hide();
  CancelButton->move(Button1->x(), CancelButton->y());
  CancelButton->show();  // enabled until a cancel is confirmed
  if (onRunButton) CancelButton->setFocus(Qt::OtherFocusReason);
  for (QWidget* w : OptionControls()) w->setEnabled(false);
  DataButton->setEnabled(false);
  Panel1->setEnabled(false);
}

void TForm1::LeaveBusyUi() {
  const bool onCancelButton = focusWidget() == CancelButton;
  Button1->setEnabled(true);
  Button1->show();
  if (onCancelButton) Button1->setFocus(Qt::OtherFocusReason);
  CancelButton->setEnabled(true);
  CancelButton->hide();
  for (QWidget* w : OptionControls()) w->setEnabled(true);
  DataButton->setEnabled(true);
  Panel1->setEnabled(true);
}

}  // namespace arl
