#include "app/radio_group.h"

#include <QFont>
#include <QRadioButton>
#include <QVBoxLayout>

namespace arl {

RadioGroup::RadioGroup(const QString& caption, const QStringList& items, QWidget* parent)
    : QGroupBox(caption, parent) {
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(2, 0, 0, 0);
  column->setSpacing(0);
  // The items' long examples are a little tighter than the rest of the window, so that they fit
  // the options column whole with the Gothic fonts of a Linux desktop.
  QFont tight;  // only the spacing is set: family and size still come from the window
  tight.setLetterSpacing(QFont::AbsoluteSpacing, -0.25);
  tight.setWordSpacing(-1.0);
  for (const QString& text : items) {
    auto* button = new QRadioButton(text, this);
    button->setFont(tight);
    column->addWidget(button);
    buttons_.append(button);
  }
}

int RadioGroup::ItemIndex() const {
  for (int i = 0; i < buttons_.size(); ++i)
    if (buttons_[i]->isChecked()) return i;
  return -1;
}

void RadioGroup::SetItemIndex(int index) {
  for (int i = 0; i < buttons_.size(); ++i) {
    // Auto-exclusive buttons refuse to uncheck the last checked one; lift that for the moment.
    QRadioButton* b = buttons_[i];
    b->setAutoExclusive(false);
    b->setChecked(i == index);
    b->setAutoExclusive(true);
  }
}

}  // namespace arl
