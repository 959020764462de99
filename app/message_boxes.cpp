#include "app/message_boxes.h"

#include <QMessageBox>

namespace arl {

bool ShowMessageBox(QWidget* parent, const BoxRequest& request) {
  const QString text = QString::fromUtf8(request.text);
  const QString caption = QString::fromUtf8(request.caption);
  switch (request.kind) {
    case BoxRequest::Kind::OkCancel: {
      QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Ok | QMessageBox::Cancel, parent);
      box.setDefaultButton(QMessageBox::Ok);
      box.setEscapeButton(QMessageBox::Cancel);
      return box.exec() == QMessageBox::Ok;
    }
    case BoxRequest::Kind::Error: {
      QMessageBox box(QMessageBox::Critical, caption, text, QMessageBox::Ok, parent);
      box.exec();
      return true;
    }
    case BoxRequest::Kind::Ok:
      break;
  }
  QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Ok, parent);
  box.exec();
  return true;
}

}  // namespace arl
