#include "app/message_boxes.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QTimer>

namespace arl {

bool ShowMessageBox(QWidget* parent, const BoxRequest& request, int closeOkAfterMs) {
  const QString text = QString::fromUtf8(request.text);
  const QString caption = QString::fromUtf8(request.caption);
  if (request.kind == BoxRequest::Kind::OkCancel) {
    QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Ok | QMessageBox::Cancel, parent);
    box.setDefaultButton(QMessageBox::Ok);
    box.setEscapeButton(QMessageBox::Cancel);
    return box.exec() == QMessageBox::Ok;
  }
  const auto icon = request.kind == BoxRequest::Kind::Error ? QMessageBox::Critical : QMessageBox::NoIcon;
  QMessageBox box(icon, caption, text, QMessageBox::Ok, parent);
  // The timer belongs to the box, so it dies with a box the user closed first.
  if (closeOkAfterMs > 0)
    QTimer::singleShot(closeOkAfterMs, &box, [&box] { box.button(QMessageBox::Ok)->click(); });
  box.exec();
  return true;
}

}  // namespace arl
