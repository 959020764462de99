#pragma once
// The headless front end: one run exactly as auto mode does, with the log on stdout, then exit.
// Used by autorateloom-cli and by the window program when it is started with "auto" and no display.
#include <string>

#include "arl/version.h"
#include "cli/report_args.h"

namespace arl {

// Exit statuses of a headless run.
inline constexpr int kExitDone = 0;         // the run ended and nothing in it failed
inline constexpr int kExitError = 1;        // something failed, or the run could not start or ended early
inline constexpr int kExitUsage = 2;        // the command line could not be understood
inline constexpr int kExitCancelled = 130;  // a stop signal cancelled the run

struct HeadlessArgs {
  std::string home;  // AppDir; empty: the executable's directory
  bool help = false;
  bool version = false;
  bool init = false;   // make the home ready (folders, currency list, settings) instead of a run
  bool quiet = false;  // no progress line on the terminal
  ReportArgs report;   // --report: the inventory of the home instead of a run
  std::string error;   // set when the command line is wrong
};

// Accepts "auto" as the first argument (the window program passes its own command line on),
// "--home DIR" or "--home=DIR", "--init", "--quiet", the report's options (report_args.h),
// "--help"/"-h" and "--version".
HeadlessArgs ParseHeadlessArgs(int argc, char** argv);

int RunHeadless(int argc, char** argv);

}  // namespace arl
