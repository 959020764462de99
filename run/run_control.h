#pragma once
// The run: Button1Click's steps, shared by the window and the headless front end.
#include <exception>

#include "run/session.h"
#include "support/output_line.h"  // RunFormats

namespace arl {

// Runs one run: take the home's lock (another run holding it raises EHomeBusy before anything is
// done), save the options, LatestYear := "-1", parse the options and fix the run-wide formats (an
// option that cannot be used ends the run here), busy state, year discovery, the tickers found
// nowhere, the merge when ticked (also after a cancel); then the error's text when one ended the
// run, the summary of the run's outcome, "キャンセルしました" after a cancel, idle state with
// "処理完了" and, in auto mode, RequestClose(). An error that escaped the steps is rethrown after
// the idle state, for the front end's top-level handler; s.outcome tells what failed.
void Button1Click(Session& s);

// The confirmed-cancel part of CancelButtonClick: asks "キャンセルしますか？" (title "確認") and on
// OK clears the go-on flag and logs "キャンセルします...". Returns whether the cancel was confirmed.
bool CancelButtonClick(Session& s);

// A cancel that needs no question (the headless front end's SIGINT): clears the go-on flag and logs
// "キャンセルします...". Raises what AddLog raises, after the flag is cleared.
void ConfirmedCancel(Session& s);

}  // namespace arl
