#pragma once
// Session: the state that the run's operations share, whichever front end drives them: where the run
// reports to, its cancel token, the working paths, LatestYear, the run's options and formats, its
// outcome, the page browser and the clock.
// Front ends build one per process and keep it across runs. A run uses it from one thread; only
// the cancel token and AddLog may be used from another thread meanwhile.
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "run/progress_gate.h"
#include "run/run_events.h"
#include "run/run_outcome.h"
#include "support/cancel_token.h"
#include "support/datetime.h"
#include "support/home_layout.h"
#include "support/run_options.h"
#include "support/settings.h"

namespace arl {

class PageBrowser;
class Downloader;

class Session {
 public:
  Session(RunEvents& events, PageBrowser& browser, Downloader& downloader, Paths paths);

  RunEvents& events;
  PageBrowser& browser;
  Downloader& downloader;
  Paths paths;
  std::string LatestYear = "-1";
  FormatSettings formats;
  bool autoMode = false;
  std::function<DateTime()> now = [] { return Now(); };
  // The options as the front end holds them: what the run's typed options are parsed from.
  OptionValues optionValues;
  // Set by a confirmed cancel from any thread; every long loop of the run reads it.
  CancelToken cancel;
  // The conversion reads day files in pieces of this many bytes and cuts them for its two threads no
  // finer; 0 keeps its own sizes. Tests make it small so that small files are cut many ways.
  std::size_t conversionGrain = 0;

  // What this run did and what failed in it; the run resets it at its start.
  RunOutcome outcome;
  // How far the run has come, passed on to `events` (the run resets it at its start).
  ProgressGate progress;

  // The run's options, parsed once at its start (FixOptions). An operation called on its own, outside
  // a run (a test, a tool), gets optionValues as they are now, parsed again whenever they changed.
  const RunOptions& Options();
  // Parses optionValues for the run that starts; raises EOptionError. ReleaseOptions ends it.
  void FixOptions();
  void ReleaseOptions() { fixed_ = false; }

  // Hands the message to the front end and appends it, as new lines with CR LF, to the log file
  // (opened and closed for every message). A message holding CR LF becomes several lines. Raises
  // EInOutError after the front end has the message when the log file cannot be opened or written
  // (EDiskFull when full). Safe from any thread: messages never interleave.
  void AddLog(std::string_view message);
  // Shows the status, and the progress held back when its turn has come.
  void SetStatus(std::string_view text) {
    events.StatusChanged(text);
    progress.Flush();
  }
  // Whether the run goes on: no cancel has been requested.
  bool GoOn() const { return !cancel.Cancelled(); }
  // Whether a cancel request is taken now: from the start of a run until it has decided whether it
  // was cancelled. TakeCancel takes one only then (and only the first): it calls `announce` and sets
  // the token, also when `announce` raises, and says whether it took it. The run cannot reach its
  // decision meanwhile, so what `announce` logs comes before the run's last lines.
  void SetCancelOpen(bool open);
  bool TakeCancel(const std::function<void()>& announce);
  // A pane of the window now shows a list (the links just collected, or nothing).
  void ShowList(ListPane pane, const LineList& lines) { events.ListShown(pane, lines); }
  // A modal OK box whose text also goes to the log, so that an unattended run leaves it on record.
  void MessageBox(std::string_view text, std::string_view caption);

 private:
  RunOptions options_;
  std::optional<OptionValues> parsedFrom_;  // what options_ was parsed from, outside a run
  bool fixed_ = false;
  std::mutex logMutex_;
  std::mutex cancelMutex_;
  bool cancelOpen_ = false;
};

// Creates ArchiveDir and DataDir (one level each, failures ignored) and an empty log file when none
// exists: the working-folder part of start-up, shared by both front ends.
void PrepareWorkingFolders(const Paths& paths);

}  // namespace arl
