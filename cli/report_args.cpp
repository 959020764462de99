#include "cli/report_args.h"

#include <string_view>

#include "support/ticker_name.h"

namespace arl {

namespace {

// "--name VALUE" or "--name=VALUE": true when argv[i] is the option; `value` is null when it has none.
bool OptionValue(int argc, char** argv, int& i, std::string_view name, const char*& value) {
  const std::string_view arg = argv[i];
  if (arg == name) {
    value = i + 1 < argc ? argv[++i] : nullptr;
    return true;
  }
  if (arg.size() > name.size() && arg.starts_with(name) && arg[name.size()] == '=') {
    value = argv[i] + name.size() + 1;
    return true;
  }
  return false;
}

}  // namespace

bool TakeReportArg(int argc, char** argv, int& i, ReportArgs& report, std::string& error) {
  const std::string_view arg = argv[i];
  const char* value = nullptr;
  if (arg == "--report") {
    report.wanted = true;
  } else if (arg == "--site") {
    report.site = report.optionSeen = true;
  } else if (OptionValue(argc, argv, i, "--format", value)) {
    report.optionSeen = true;
    const std::string_view format = value ? value : "";
    if (format == "text") {
      report.format = ReportFormat::Text;
    } else if (format == "csv") {
      report.format = ReportFormat::Csv;
    } else if (format == "json") {
      report.format = ReportFormat::Json;
    } else {
      error = "--format needs text, csv or json";
    }
  } else if (OptionValue(argc, argv, i, "--ticker", value)) {
    report.optionSeen = true;
    report.ticker = value ? value : "";
    // The ticker names a folder below HistoricalData/: it must not lead anywhere else.
    if (report.ticker.empty() || !IsSafeTicker(report.ticker))
      error = "--ticker needs a ticker such as EURUSD";
  } else {
    return false;
  }
  return true;
}

std::string ReportArgsProblem(const ReportArgs& report, bool init) {
  if (report.optionSeen && !report.wanted) return "--format, --ticker and --site go with --report";
  if (report.wanted && init) return "--report and --init cannot be given together";
  return {};
}

}  // namespace arl
