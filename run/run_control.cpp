#include "run/run_control.h"

#include <memory>

#include "acquire/year_discovery.h"
#include "convert/bar_fault.h"
#include "convert/bar_update.h"
#include "merge/merge_files.h"
#include "run/missing_tickers.h"
#include "support/home_lock.h"

namespace arl {

namespace {

// Runs one closing step and keeps the first error it raises, so that one failed log write (the log
// file deleted under us) cannot leave the window busy or skip the end of the run.
template <typename Step>
void RunClosingStep(std::exception_ptr& firstError, Step&& step) {
  try {
    step();
  } catch (...) {
    if (!firstError) firstError = std::current_exception();
  }
}

// One run per home. A run that cannot have the home changes nothing; its refusal is logged (a timer's
// user reads the log) and goes to the front end's top-level handler.
std::unique_ptr<HomeLock> LockHome(Session& s) {
  try {
    return std::make_unique<HomeLock>(s.paths.LockPath, s.paths.AppDir);
  } catch (const std::exception& e) {
    try {
      s.AddLog(e.what());
    } catch (const std::exception&) {
      // The refusal still reaches the top-level handler.
    }
    throw;
  }
}

// The higher timeframes' setting, said once at the start: words that name no timeframe are ignored,
// and a time format that bars cannot be read back with is a failure of the run's bars.
void CheckTimeframes(Session& s) {
  const RunOptions& o = s.Options();
  for (const std::string& word : o.unknownTimeframes)
    s.AddLog(
        "設定 Timeframes の \"" + word +
        "\" は上位足の名前ではないので無視します (5min,15min,30min,1hour,4hour,1day から選んでください)");
  if (o.timeframes.Empty()) return;
  const std::string problem = BarFormatProblem(o);
  if (problem.empty()) return;
  s.outcome.BarsFailed("", problem);
  s.AddLog(problem);
}

}  // namespace

void RunOnce(Session& s, const OptionValues& options) {
  s.cancel.Reset();
  const std::unique_ptr<HomeLock> lock = LockHome(s);
  s.SetCancelOpen(true);
  s.optionValues = options;
  s.outcome.Reset();
  s.progress.Reset();
  std::exception_ptr runError, closingError;
  try {
    s.events.SaveSettings();
    s.LatestYear = "-1";
    // Options that cannot be used stop the run here, before anything is fetched.
    s.FixOptions();
    s.formats = RunFormats(s.Options());
    s.SetStatus("処理中");
    s.events.BusyChanged(true);
    CheckTimeframes(s);
    DiscoverYears(s);
    if (s.GoOn()) FillMissingBarFiles(s);
    if (s.GoOn()) ReportMissingTickers(s);
    // The merge also runs after a cancel: it reads the token itself and stops at once.
    if (s.Options().merge) MergeAll(s);
  } catch (const std::exception& e) {
    runError = std::current_exception();
    s.outcome.RunFailed(e.what());
    // The text the front end shows goes to the log too: an unattended run leaves it on record.
    RunClosingStep(closingError, [&] { s.AddLog(e.what()); });
  } catch (...) {
    runError = std::current_exception();
    s.outcome.RunFailed("unknown error");
  }

  // A step held back stays so: after the work only the closing status is shown.
  s.progress.Reset();
  const std::string summary = s.outcome.Summary();
  RunClosingStep(closingError, [&] { s.AddLog(summary); });
  RunClosingStep(closingError, [&] { s.events.Summarized(summary); });
  // A cancel that comes later finds the run over: it is neither taken nor logged.
  s.SetCancelOpen(false);
  if (!s.GoOn()) RunClosingStep(closingError, [&] { s.AddLog("キャンセルしました"); });
  RunClosingStep(closingError, [&] { s.events.BusyChanged(false); });
  RunClosingStep(closingError, [&] { s.SetStatus("処理完了"); });
  RunClosingStep(closingError, [&] { s.AddLog("処理完了"); });
  s.ReleaseOptions();
  s.cancel.Reset();

  if (runError) std::rethrow_exception(runError);
  if (closingError) std::rethrow_exception(closingError);
}

bool RequestCancel(Session& s) {
  return s.TakeCancel([&s] { s.AddLog("キャンセルします..."); });
}

}  // namespace arl
