#pragma once
// ProgressPanel: the run's progress in the window's status bar, as a permanent widget beside the
// home: the progress text (year, phase, counts, rate, time left) and a bar. It is hidden between
// runs: a run's first progress shows it and the run's end hides it. A phase without counts (a page
// loading) shows the bar as busy. The status message keeps the rest of the bar to itself.
#include <QWidget>

#include "run/run_progress.h"

class QLabel;
class QProgressBar;

namespace arl {

class ProgressPanel : public QWidget {
 public:
  ProgressPanel(QWidget* parent, int barWidth);
  void Show(const RunProgress& progress);
  void Finish();

 private:
  QLabel* text_;
  QProgressBar* bar_;
};

}  // namespace arl
