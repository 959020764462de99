#pragma once
// RunEvents: what a run tells whoever drives it. The window turns each call into a queued signal for
// its own thread, the headless front end prints, tests record. All are called on the run's thread
// except Logged, which a cancel request also calls from the cancelling thread (never two at once:
// the session's log serialises them). None of them may wait for the run itself.
#include <string_view>

#include "run/run_progress.h"
#include "support/text.h"

namespace arl {

// The window's two list panes: the log pane, and the pane beside it that shows the index page's
// archive links.
enum class ListPane { Log, Links };

class RunEvents {
 public:
  virtual ~RunEvents() = default;

  // One line of the log, before it is written to the log file (so that a log file that fails does not
  // hide the message).
  virtual void Logged(std::string_view line) = 0;
  virtual void StatusChanged(std::string_view text) = 0;
  // A pane now shows `lines` in place of what it showed; an empty list empties it.
  virtual void ListShown(ListPane /*pane*/, const LineList& /*lines*/) {}
  // The run starts its work (options checked) and when it has ended its work (before "処理完了").
  virtual void BusyChanged(bool /*busy*/) {}
  // A box with an OK button; returns once it is answered (or at once, unattended).
  virtual void MessageBoxOk(std::string_view text, std::string_view caption) = 0;
  // The run stores the options it was started with, after it has the home for itself.
  virtual void SaveSettings() {}
  // The run's summary (RunOutcome::Summary, lines joined by CR LF), once, after it was logged and
  // before the idle state; a run refused before it started (another run holds the home) has none.
  virtual void Summarized(std::string_view /*summary*/) {}
  // How far the run has come: at a phase's start and end, and in between at most about ten times a
  // second (see ProgressGate).
  virtual void Progressed(const RunProgress& /*progress*/) {}
};

}  // namespace arl
