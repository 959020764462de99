#pragma once
// Session: the state that the run's operations share, whichever front end drives them: the host,
// the working paths, LatestYear, the run's options and formats, its outcome, the page browser and
// the clock.
// Front ends build one per process and keep it across runs.
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "run/host.h"
#include "run/run_outcome.h"
#include "support/datetime.h"
#include "support/home_layout.h"
#include "support/run_options.h"

namespace arl {

class PageBrowser;
class Downloader;

class Session {
 public:
  Session(Host& host, PageBrowser& browser, Downloader& downloader, Paths paths);

  Host& host;
  PageBrowser& browser;
  Downloader& downloader;
  Paths paths;
  std::string LatestYear = "-1";
  FormatSettings formats;
  bool autoMode = false;
  std::function<DateTime()> now = [] { return Now(); };
  // Sleeps of 0, 1 or 200 ms at the loop points; tests may replace it.
  std::function<void(int ms)> sleep;
  // The conversion reads day files in pieces of this many bytes and cuts them for its two threads no
  // finer; 0 keeps its own sizes. Tests make it small so that small files are cut many ways.
  std::size_t conversionGrain = 0;

  // What this run did and what failed in it; the run resets it at its start.
  RunOutcome outcome;

  // The run's options, parsed once at its start (FixOptions). An operation called on its own, outside
  // a run (a test, a tool), gets the host's current options, parsed again whenever they changed.
  const RunOptions& Options();
  // Parses the host's options for the run that starts; raises EOptionError. ReleaseOptions ends it.
  void FixOptions();
  void ReleaseOptions() { fixed_ = false; }

  // Appends the message to Memo1 and, as new lines with CR LF, to the log file (opened and closed for
  // every message). A message holding CR LF becomes several lines. Raises EInOutError after the
  // message has reached the pane when the log file cannot be opened or written (EDiskFull when full).
  void AddLog(std::string_view message);
  void SetStatus(std::string_view text) { host.SetStatus(text); }
  void Pump() { host.Pump(); }
  bool GoOn() const { return host.GoOn(); }
  void Sleep(int ms);
  // A modal OK box whose text also goes to the log, so that an unattended run leaves it on record.
  void MessageBox(std::string_view text, std::string_view caption);

 private:
  RunOptions options_;
  std::optional<OptionValues> parsedFrom_;  // what options_ was parsed from, outside a run
  bool fixed_ = false;
};

// Creates ArchiveDir and DataDir (one level each, failures ignored) and an empty log file when none
// exists: the working-folder part of start-up, shared by both front ends.
void PrepareWorkingFolders(const Paths& paths);

}  // namespace arl
