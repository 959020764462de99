// The settings file as the window keeps it: read at start-up with the defaults of a first start
// (centred in the work area, the size as created), written at the start of every run and at exit.
// A position that would leave the title bar out of reach is pulled back onto a screen.
#include <QCheckBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QScreen>

#include "app/radio_group.h"
#include "app/tform1.h"
#include "app/window_placement.h"
#include "support/settings.h"

namespace arl {

namespace {

// Each screen's work area and which one is the primary screen's; the configured area alone when set.
QList<QRect> WorkAreas(const FormConfig& config, qsizetype& primary) {
  primary = 0;
  if (config.workArea) return {*config.workArea};
  QList<QRect> areas;
  for (const QScreen* screen : QGuiApplication::screens()) {
    if (screen == QGuiApplication::primaryScreen()) primary = areas.size();
    areas << screen->availableGeometry();
  }
  return areas;
}

}  // namespace

void TForm1::LoadSettings() {
  QRect area;
  if (config_.workArea) {
    area = *config_.workArea;
  } else if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    area = screen->availableGeometry();
  }
  // Only the work area's right and bottom edges count; its left and top are not added.
  const int right = area.x() + area.width();
  const int bottom = area.y() + area.height();

  StoredSettings defaults;
  defaults.Geometry.Top = CenteredOffset(bottom, createdHeight_);
  defaults.Geometry.Left = CenteredOffset(right, createdWidth_);
  defaults.Geometry.Width = createdWidth_;
  defaults.Geometry.Height = createdHeight_;
  const StoredSettings s = ReadSettings(session_.paths.SettingsPath, defaults);

  // Before the window is shown its frame is unknown: a desktop's title bar is taken as 32 pixels.
  const int titleBar = Px(32);
  const QRect frame(s.Geometry.Left, s.Geometry.Top, s.Geometry.Width, s.Geometry.Height + titleBar);
  qsizetype primary = 0;
  const QList<QRect> areas = WorkAreas(config_, primary);
  move(PlacedOnScreen(frame, areas, primary, titleBar));
  resize(s.Geometry.Width, s.Geometry.Height);
  EditURL->setText(QString::fromStdString(s.Options.EditURL));
  EditURL->setCursorPosition(0);  // show the address from its start
  EditLongTimeFormat->setText(QString::fromStdString(s.Options.EditLongTimeFormat));
  EditFileHeadName->setText(QString::fromStdString(s.Options.EditFileHeadName));
  EditGmtGap->setText(QString::fromStdString(s.Options.EditGmtGap));
  EditRetryLimit->setText(QString::fromStdString(s.Options.EditRetryLimit));
  RadioGroup1->SetItemIndex(ClampRadioIndex(s.Options.RadioGroup1));
  RadioGroup2->SetItemIndex(ClampRadioIndex(s.Options.RadioGroup2));
  RadioGroup3->SetItemIndex(ClampRadioIndex(s.Options.RadioGroup3));
  CheckBox1->setChecked(s.Options.CheckBox1);
  TimeframeChoice frames = ParseTimeframes(s.Options.Timeframes);
  for (const TimeframeInfo& timeframe : kTimeframes)
    TimeframeChecks[IndexOf(timeframe.frame)]->setChecked(frames.frames.Has(timeframe.frame));
  unknownTimeframes_ = std::move(frames.unknown);
}

StoredSettings TForm1::CurrentSettings() const {
  StoredSettings s;
  s.Geometry.Top = y();
  s.Geometry.Left = x();
  s.Geometry.Width = width();
  s.Geometry.Height = height();
  s.Options = Options();
  return s;
}

}  // namespace arl
