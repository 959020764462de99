#include "app/progress_panel.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>

namespace arl {

ProgressPanel::ProgressPanel(QWidget* parent, int barWidth)
    : QWidget(parent), text_(new QLabel(this)), bar_(new QProgressBar(this)) {
  setObjectName(QStringLiteral("ProgressPanel"));
  text_->setObjectName(QStringLiteral("ProgressText"));
  bar_->setObjectName(QStringLiteral("ProgressBar"));
  bar_->setFixedWidth(barWidth);
  bar_->setTextVisible(false);  // the text beside it says more
  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(0, 0, 0, 0);
  row->addWidget(text_);
  row->addWidget(bar_);
  hide();
}

void ProgressPanel::Show(const RunProgress& progress) {
  text_->setText(QString::fromStdString(ProgressText(progress)));
  if (progress.total > 0) {
    bar_->setRange(0, progress.total);
    bar_->setValue(progress.done);
  } else {
    bar_->setRange(0, 0);
  }
  show();
}

void ProgressPanel::Finish() {
  hide();
  text_->clear();
  bar_->reset();
}

}  // namespace arl
