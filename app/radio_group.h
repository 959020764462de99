#pragma once
// RadioGroup: a framed group of radio buttons with a selected index, where -1 (nothing selected) is
// a state of its own: a stored index below -1 leaves every button unchecked, as the settings ask.
#include <QGroupBox>
#include <QList>
#include <QStringList>

class QRadioButton;

namespace arl {

class RadioGroup : public QGroupBox {
  Q_OBJECT

 public:
  RadioGroup(const QString& caption, const QStringList& items, QWidget* parent = nullptr);
  int ItemIndex() const;         // -1 when no item is selected
  void SetItemIndex(int index);  // out of range: no item selected
  QRadioButton* Item(int index) const { return buttons_.value(index); }
  int Count() const { return static_cast<int>(buttons_.size()); }

 private:
  QList<QRadioButton*> buttons_;
};

}  // namespace arl
