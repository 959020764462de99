#include "app/memo_pane.h"

#include <QPlainTextEdit>

namespace arl {

void MemoPane::Add(std::string_view line) {
  lines_.emplace_back(line);
  edit_->appendPlainText(QString::fromUtf8(line.data(), static_cast<qsizetype>(line.size())));
}

void MemoPane::Show(const LineList& lines) {
  lines_ = lines;
  QString text;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i > 0) text += QLatin1Char('\n');
    text += QString::fromUtf8(lines[i]);
  }
  edit_->setPlainText(text);
}

}  // namespace arl
