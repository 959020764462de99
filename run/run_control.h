#pragma once
// The run: Button1Click's steps, shared by the window and the headless front end.
#include <exception>

#include "run/session.h"

namespace arl {

// Runs one run: save the options, LatestYear := "-1", fix the run-wide formats, busy state, year
// discovery, the merge when ticked (also after a cancel), "キャンセルしました" after a cancel, idle
// state with "処理完了" and, in auto mode, RequestClose(). An error that escaped the steps is
// rethrown after the idle state, for the front end's top-level handler.
void Button1Click(Session& s);

// The run-wide formats for the options: short date "yyyy/mm/dd", "/" for RadioGroup2 index 0 and "-"
// otherwise, the long time format from EditLongTimeFormat, time separator ":".
FormatSettings RunFormats(const OptionValues& options);

// The confirmed-cancel part of CancelButtonClick: asks "キャンセルしますか？" (title "確認") and on
// OK clears the go-on flag and logs "キャンセルします...". Returns whether the cancel was confirmed.
bool CancelButtonClick(Session& s);

// A cancel that needs no question (the headless front end's SIGINT): clears the go-on flag and logs
// "キャンセルします...". Raises what AddLog raises, after the flag is cleared.
void ConfirmedCancel(Session& s);

}  // namespace arl
