// The window as the run's host: panes, status bar, pumping, the go-on flag (the cancel button's
// enabled state), message boxes, the options as the controls hold them, busy and idle states.
#include <QCheckBox>
#include <QCoreApplication>
#include <QFrame>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>

#include "app/radio_group.h"
#include "app/tform1.h"

namespace arl {

namespace {
std::string Text(const QLineEdit* edit) { return edit->text().toStdString(); }
QString QText(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }
}  // namespace

void TForm1::SetStatus(std::string_view text) { StatusBar1->showMessage(QText(text)); }

void TForm1::Pump() { QCoreApplication::processEvents(); }

void TForm1::Repaint() { repaint(); }

bool TForm1::GoOn() const { return CancelButton->isEnabled(); }

void TForm1::SetGoOn(bool goOn) { CancelButton->setEnabled(goOn); }

void TForm1::MessageBoxOk(std::string_view text, std::string_view caption) {
  Box({BoxRequest::Kind::Ok, std::string(text), std::string(caption)});
}

bool TForm1::ConfirmOkCancel(std::string_view text, std::string_view caption) {
  return Box({BoxRequest::Kind::OkCancel, std::string(text), std::string(caption)});
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
  return o;
}

QList<QWidget*> TForm1::OptionControls() const {
  return {Memo1Edit,      Memo2Edit,   EditURL,     EditLongTimeFormat, EditFileHeadName, EditGmtGap,
          EditRetryLimit, RadioGroup1, RadioGroup2, RadioGroup3,        CheckBox1};
}

void TForm1::EnterBusyUi() {
  SetStatus("処理中");
  Button1->setEnabled(false);
  Button1->hide();
  CancelButton->move(Button1->x(), CancelButton->y());
  CancelButton->show();  // its enabled state is the go-on flag: left as it is
  for (QWidget* w : OptionControls()) w->setEnabled(false);
  Panel1->setEnabled(false);
  Pump();
}

void TForm1::LeaveBusyUi() {
  Button1->setEnabled(true);
  Button1->show();
  CancelButton->setEnabled(true);
  CancelButton->hide();
  for (QWidget* w : OptionControls()) w->setEnabled(true);
  Panel1->setEnabled(true);
  Pump();
}

}  // namespace arl
