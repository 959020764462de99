#pragma once
// MemoPane: one of the window's list panes over a QPlainTextEdit: the log pane takes each logged line,
// and a run may show a list in either pane in place of what it held. The lines are kept beside the
// widget, so that what a pane shows reads back exactly, empty lines included.
#include <string_view>

#include "support/text.h"

class QPlainTextEdit;

namespace arl {

class MemoPane {
 public:
  explicit MemoPane(QPlainTextEdit* edit) : edit_(edit) {}
  void Add(std::string_view line);  // one line, no line breaks inside
  void Show(const LineList& lines);
  const LineList& Lines() const { return lines_; }

 private:
  QPlainTextEdit* edit_;
  LineList lines_;
};

}  // namespace arl
