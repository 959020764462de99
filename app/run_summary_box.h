#pragma once
// The run's summary in a box titled 「実行結果」 beside the window, shown at the end of a manual run.
// It blocks nothing: the window stays usable while it is open, and the next run's summary takes its
// place in the same box. Its text can be selected and copied, and scrolls when the failures are many.
#include <QString>

class QWidget;

namespace arl {

// Shows `summary` (lines split by CR LF or LF) in the window's summary box, made on first use.
void ShowRunSummary(QWidget* window, const QString& summary);

}  // namespace arl
