#pragma once
// The run: one pass over the archive, shared by the window (on a worker thread) and the headless
// front end (on its main thread).
#include <exception>

#include "run/session.h"
#include "support/output_line.h"  // RunFormats

namespace arl {

// Runs one run on the calling thread with the options as the front end holds them: take the home's
// lock (another run holding it raises EHomeBusy before anything is done), save the options,
// LatestYear := "-1", parse the options and fix the run-wide formats (an option that cannot be used
// ends the run here), status "処理中" and the busy state, year discovery, the tickers found nowhere,
// the merge when ticked (also after a cancel); then the error's text when one ended the run, the
// summary of the run's outcome (logged, then reported by Summarized), "キャンセルしました" after a
// cancel, the idle state with "処理完了".
// An error that escaped the steps is rethrown after the idle state, for the front end's top-level
// handler; s.outcome tells what failed. The cancel token is re-armed at the start and at the end.
void RunOnce(Session& s, const OptionValues& options);

// A confirmed cancel, from any thread: while a run takes cancels (it has started and not yet decided
// whether it was cancelled) and none was requested yet, logs "キャンセルします...", sets the
// session's cancel token and returns true; otherwise does nothing. Raises what AddLog raises, after
// the token is set.
bool RequestCancel(Session& s);

}  // namespace arl
