#include "run/run_control.h"

#include "acquire/year_discovery.h"
#include "merge/merge_files.h"

namespace arl {

namespace {

// Runs one closing step and keeps the first error it raises, so that one failed log write (the log
// file deleted under us) cannot leave the window busy or an auto-mode run without its close.
template <typename Step>
void RunClosingStep(std::exception_ptr& firstError, Step&& step) {
  try {
    step();
  } catch (...) {
    if (!firstError) firstError = std::current_exception();
  }
}

}  // namespace

FormatSettings RunFormats(const OptionValues& options) {
  FormatSettings f;
  f.ShortDateFormat = "yyyy/mm/dd";
  f.DateSeparator = options.RadioGroup2 == 0 ? '/' : '-';
  f.LongTimeFormat = options.EditLongTimeFormat;
  return f;
}

void Button1Click(Session& s) {
  Host& host = s.host;
  std::exception_ptr runError;
  try {
    host.SaveSettings();
    s.LatestYear = "-1";
    s.formats = RunFormats(host.Options());
    host.EnterBusyUi();
    DiscoverYears(s);
    // The merge also runs after a cancel: it polls the flag itself and stops at once.
    if (host.Options().CheckBox1) MergeAll(s);
  } catch (...) {
    runError = std::current_exception();
  }

  std::exception_ptr closingError;
  if (!host.GoOn()) RunClosingStep(closingError, [&] { s.AddLog("キャンセルしました"); });
  RunClosingStep(closingError, [&] { host.LeaveBusyUi(); });
  RunClosingStep(closingError, [&] { s.SetStatus("処理完了"); });
  RunClosingStep(closingError, [&] { s.AddLog("処理完了"); });
  if (s.autoMode) RunClosingStep(closingError, [&] { host.RequestClose(); });

  if (runError) std::rethrow_exception(runError);
  if (closingError) std::rethrow_exception(closingError);
}

void ConfirmedCancel(Session& s) {
  s.host.SetGoOn(false);
  s.AddLog("キャンセルします...");
}

bool CancelButtonClick(Session& s) {
  if (!s.host.ConfirmOkCancel("キャンセルしますか？", "確認")) return false;
  ConfirmedCancel(s);
  return true;
}

}  // namespace arl
