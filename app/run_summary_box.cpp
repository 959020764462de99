#include "app/run_summary_box.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QPlainTextEdit>
#include <QVBoxLayout>
#include <algorithm>

namespace arl {

namespace {

constexpr char kBoxName[] = "SummaryBox";

QDialog* MakeBox(QWidget* window) {
  auto* box = new QDialog(window);
  box->setObjectName(QString::fromLatin1(kBoxName));
  box->setWindowTitle(QStringLiteral("実行結果"));
  box->setModal(false);
  box->setFont(window->font());  // a window of its own does not take its parent's font
  auto* column = new QVBoxLayout(box);
  auto* text = new QPlainTextEdit(box);
  text->setObjectName(QStringLiteral("SummaryText"));
  text->setReadOnly(true);
  text->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  text->setTabChangesFocus(true);
  text->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);  // a long failure line wraps
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, box);
  QObject::connect(buttons, &QDialogButtonBox::accepted, box, &QDialog::accept);
  column->addWidget(text);
  column->addWidget(buttons);
  return box;
}

// Room for the text as it stands, wrapped, with the margins and the button row: from 40 to 100
// characters wide and from 10 to 36 lines tall.
QSize Fitting(const QPlainTextEdit* text, const QStringList& lines) {
  const QFontMetrics metrics = text->fontMetrics();
  const int ch = metrics.averageCharWidth(), line = metrics.lineSpacing();
  int widest = 0;
  for (const QString& l : lines) widest = std::max(widest, metrics.horizontalAdvance(l));
  const int width = std::clamp(widest + 6 * ch, 40 * ch, 100 * ch), room = width - 6 * ch;
  int rows = 0;
  for (const QString& l : lines) rows += std::max(1, (metrics.horizontalAdvance(l) + room - 1) / room);
  return {width, std::clamp((rows + 7) * line, 10 * line, 36 * line)};
}

}  // namespace

void ShowRunSummary(QWidget* window, const QString& summary) {
  auto* box = window->findChild<QDialog*>(QString::fromLatin1(kBoxName), Qt::FindDirectChildrenOnly);
  if (!box) box = MakeBox(window);
  auto* text = box->findChild<QPlainTextEdit*>();
  QString plain = summary;
  plain.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  text->setPlainText(plain);
  if (!box->isVisible()) box->resize(Fitting(text, plain.split(QLatin1Char('\n'))));
  box->show();
  box->raise();  // a box left open behind the window comes forward
}

}  // namespace arl
