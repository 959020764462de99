#pragma once
// MemoPane: a run's list pane over a QPlainTextEdit. The lines are kept beside the widget, so a list
// written into the pane reads back exactly, empty lines included; the widget only shows them.
#include "run/host.h"

class QPlainTextEdit;

namespace arl {

class MemoPane : public Pane {
 public:
  explicit MemoPane(QPlainTextEdit* edit) : edit_(edit) {}
  void Clear() override;
  void Add(std::string_view line) override;
  LineList Lines() const override { return lines_; }
  void SetLines(const LineList& lines) override;
  void Repaint() override;

 private:
  QPlainTextEdit* edit_;
  LineList lines_;
};

}  // namespace arl
