#pragma once
// The inventory report's part of the headless command line: "--report" with "--format text|csv|json"
// (also "--format=..."), "--ticker T" (also "--ticker=T") and "--site". The options other than
// --report mean nothing without it, and --report does not go with --init: either is a bad command
// line, said in `error`.
#include <string>

namespace arl {

enum class ReportFormat { Text, Csv, Json };

struct ReportArgs {
  bool wanted = false;  // --report
  ReportFormat format = ReportFormat::Text;
  std::string ticker;       // only this ticker; "": the currency list's
  bool site = false;        // also the days the archive site lists that are not on disk
  bool optionSeen = false;  // --format, --ticker or --site was given
};

// Takes argv[i] (and its value, moving i on) when it is one of the report's options; false when it
// is none of them. A value that is missing or wrong sets `error`.
bool TakeReportArg(int argc, char** argv, int& i, ReportArgs& report, std::string& error);

// The error of a command line whose report options do not fit together, or "".
std::string ReportArgsProblem(const ReportArgs& report, bool init);

}  // namespace arl
