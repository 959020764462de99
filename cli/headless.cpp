#include "cli/headless.h"

#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>
#include <string_view>

#include "acquire/curl_browser.h"
#include "acquire/curl_downloader.h"
#include "cli/headless_events.h"
#include "cli/headless_settings.h"
#include "cli/progress_line.h"
#include "cli/report_run.h"
#include "cli/stop_signals.h"
#include "run/run_control.h"
#include "support/currency_list.h"
#include "support/files.h"
#include "support/home_choice.h"

namespace arl {

namespace {

constexpr char kUsage[] =
    "Usage: autorateloom-cli [auto] [--home DIR] [--init] [--quiet]\n"
    "       autorateloom-cli [--home DIR] --report [--format text|csv|json] [--ticker T] [--site]\n"
    "\n"
    "Runs one run exactly as the window's auto mode does: the missing day archives are downloaded\n"
    "and converted, and the merge files are brought up to date when the settings ask for it. The log\n"
    "goes to stdout and to autorateloom.log and ends with a summary of the run; SIGINT or SIGTERM\n"
    "cancels the run (a second one ends it at once). Only one run at a time uses a home. When stderr\n"
    "is a terminal, one line on it shows how far the run has come (year, archives, day files,\n"
    "currencies, rate and time left); a pipe or a file never gets it.\n"
    "\n"
    "  --home DIR   keep settings, CurrencyList.txt, log and outputs in DIR, which must exist\n"
    "  --init       make the home ready (folders, CurrencyList.txt, settings, log) and stop\n"
    "  --quiet      no progress line on the terminal (the log and the error texts stay)\n"
    "  --report     print what the home holds and stop, changing nothing in it: per archive year\n"
    "               the day files, their first and last day and the marker; per currency and\n"
    "               year the year file's lines, first and last minute, days with data and the\n"
    "               weekdays without (safe while a run goes on)\n"
    "  --format F   the report as text (aligned tables, the default), csv or json\n"
    "  --ticker T   report only the currency T\n"
    "  --site       also list the days the archive site lists that are not on disk (reads the\n"
    "               index and year pages, downloads nothing)\n"
    "  --help       show this text\n"
    "  --version    show the version\n"
    "\n"
    "Exit status: 0 the run ended and nothing failed, 1 something failed or the run could not\n"
    "start (the log's last lines say what), 2 bad command line, 130 cancelled. --report: 0 the\n"
    "report was made, 1 the home cannot be read, 2 bad command line, 3 the report was made and\n"
    "found damaged year files (torn, empty, unreadable lines or time format; csv: on stderr).\n"
    "\n";

// The home given, or the default one; "" (with the reason on stderr) when none can be named.
std::string ChosenHome(const std::string& given) {
  if (!given.empty()) return given;
  std::string home = DefaultHome(CurrentHomeCandidates());
  if (home.empty()) std::fprintf(stderr, "autorateloom-cli: %s\n", kNoHomeMessage);
  return home;
}

// --init: the home with everything a run and a user editing it need; its settings are written with
// the defaults only when it has none.
int InitHome(const std::string& given) {
  const std::string home = ChosenHome(given);
  if (home.empty()) return kExitError;
  const Paths paths = Paths::ForAppDir(OpenHome(home));
  PrepareWorkingFolders(paths);
  if (!FileExists(paths.SettingsPath)) HeadlessSettings(paths.SettingsPath).Save();
  std::printf("%s を使えるようにしました (設定: %s、通貨リスト: %s)\n", paths.AppDir.c_str(),
              paths.SettingsPath.c_str(), paths.CurrencyListPath.c_str());
  return kExitDone;
}

}  // namespace

HeadlessArgs ParseHeadlessArgs(int argc, char** argv) {
  HeadlessArgs a;
  for (int i = 1; i < argc; ++i) {
    std::string_view arg = argv[i];
    if (i == 1 && arg == "auto") continue;
    if (arg == "--help" || arg == "-h") {
      a.help = true;
    } else if (arg == "--version") {
      a.version = true;
    } else if (arg == "--init") {
      a.init = true;
    } else if (arg == "--quiet") {
      a.quiet = true;
    } else if (arg == "--home") {
      if (i + 1 >= argc || argv[i + 1][0] == '\0') {
        a.error = "--home needs a directory";
        return a;
      }
      a.home = argv[++i];
    } else if (arg.starts_with("--home=") && arg.size() > 7) {
      a.home = std::string(arg.substr(7));
    } else if (TakeReportArg(argc, argv, i, a.report, a.error)) {
      if (!a.error.empty()) return a;
    } else {
      a.error = "unknown argument: " + std::string(arg);
      return a;
    }
  }
  a.error = ReportArgsProblem(a.report, a.init);
  return a;
}

int RunHeadless(int argc, char** argv) {
  HeadlessArgs args = ParseHeadlessArgs(argc, argv);
  if (!args.error.empty()) {
    std::fprintf(stderr, "autorateloom-cli: %s\n\n%s", args.error.c_str(), kUsage);
    return kExitUsage;
  }
  if (args.help) {
    std::printf("%s%s", kUsage, DefaultHomeHelp().c_str());
    return kExitDone;
  }
  if (args.version) {
    std::printf("autorateloom-cli %s\n", kVersionText);
    return kExitDone;
  }

  const TerminalProbe& terminal = HeadlessTerminal();
  const bool progressLine = DrawsProgressLine(args.quiet, STDERR_FILENO, terminal);
  if (args.report.wanted) return RunReport(args.home, args.report, progressLine);
  try {
    if (args.init) return InitHome(args.home);
    // A mistyped home must not become a new, empty one that a full download then fills.
    if (!args.home.empty() && !std::filesystem::is_directory(args.home)) {
      std::fprintf(stderr,
                   "autorateloom-cli: フォルダ %s がありません。作るには --init を付けて実行してください "
                   "(autorateloom-cli --init --home %s)\n",
                   args.home.c_str(), args.home.c_str());
      return kExitError;
    }
    const std::string home = ChosenHome(args.home);
    if (home.empty()) return kExitError;
    Paths paths = Paths::ForAppDir(OpenHome(home));
    PrepareWorkingFolders(paths);
    HeadlessSettings settings(paths.SettingsPath);
    CurlBrowser browser;
    CurlDownloader downloader;
    HeadlessEvents events(settings, stdout, stderr, progressLine,
                          [&terminal] { return terminal.columns ? terminal.columns(STDERR_FILENO) : 0; });
    Session session(events, browser, downloader, paths);
    session.autoMode = true;

    std::string error;
    bool cancelled = false;
    {
      // Before the run starts any thread: they all inherit the blocked stop signals.
      std::atomic<bool> running{true};
      StopSignals signals([&] {
        if (!running) return;  // the run is over: a late signal changes nothing of it
        try {
          RequestCancel(session);
        } catch (const std::exception& e) {
          // The cancel stands; the log file that failed is reported here.
          events.ClearStatusLine();
          std::fprintf(stderr, "%s\n", e.what());
        }
      });
      try {
        RunOnce(session, settings.Options());
      } catch (const std::exception& e) {
        error = e.what();
      } catch (...) {
        error = "unknown error";
      }
      running = false;
      cancelled = signals.Received();
    }
    events.ClearStatusLine();
    if (!error.empty()) std::fprintf(stderr, "%s\n", error.c_str());
    if (cancelled) return kExitCancelled;
    return error.empty() && !session.outcome.Failed() ? kExitDone : kExitError;
  } catch (const std::exception& e) {
    // Start-up failures: the home cannot be made, the currency list cannot be copied.
    std::fprintf(stderr, "%s\n", e.what());
    return kExitError;
  }
}

}  // namespace arl
