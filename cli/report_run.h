#pragma once
// autorateloom-cli --report: the inventory of a home, printed to stdout in the chosen format. It
// reads and never writes: no folder is made, the settings and the log are left alone, and the run
// lock is not taken, so a report may be made while a run goes on (a year file being appended then
// shows a torn last line; a year being rebuilt shows what is on disk at that moment).
#include <string>

#include "cli/report_args.h"

namespace arl {

// The report made, but some year files are damaged (torn, empty, lines or a time format that cannot
// be read): the rows say which, and in csv stderr does.
inline constexpr int kExitReportDamage = 3;

// Makes the report of the home `givenHome` ("": the default home); returns the exit status (0, 1
// when the home cannot be read, kExitReportDamage). `progressLine`: the count's progress is shown on
// stderr (a terminal, no --quiet).
int RunReport(const std::string& givenHome, const ReportArgs& args, bool progressLine);

}  // namespace arl
