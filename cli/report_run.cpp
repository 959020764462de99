#include "cli/report_run.h"

#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include "cli/headless.h"
#include "cli/report_model.h"
#include "cli/report_progress.h"
#include "cli/report_site.h"
#include "support/currency_list.h"
#include "support/errors.h"
#include "support/home_choice.h"
#include "support/ticker_name.h"

namespace arl {

namespace {

// The home folder to read, absolute and ending in "/"; "" (with the reason on stderr) when there is none.
std::string ReadableHome(const std::string& given) {
  std::string home = given.empty() ? DefaultHome(CurrentHomeCandidates()) : given;
  if (home.empty()) {
    std::fprintf(stderr, "autorateloom-cli: %s\n", kNoHomeMessage);
    return {};
  }
  std::error_code error;
  if (!std::filesystem::is_directory(home, error)) {
    std::fprintf(stderr, "autorateloom-cli: フォルダ %s がありません\n", home.c_str());
    return {};
  }
  home = std::filesystem::absolute(home, error).lexically_normal().string();
  return home.ends_with('/') ? home : home + "/";
}

std::string YearFilesPattern(const RunOptions& options) {
  return std::string("HistoricalData/<ticker>/") + (options.subFolder ? "1min/" : "") + options.prefix +
         "<year>.txt";
}

// Fills the model from disk; false (with the reason on stderr) when the home cannot be read.
bool Gather(ReportModel& report, const ReportArgs& args, const RunOptions& options, const Paths& paths) {
  LineList tickers;
  if (!args.ticker.empty()) {
    tickers.push_back(args.ticker);
  } else {
    try {
      tickers = SafeTickers(LoadCurrencyList(paths.CurrencyListPath));
    } catch (const Exception& e) {
      std::fprintf(stderr, "autorateloom-cli: 通貨リスト %s を読めません (%s)\n",
                   paths.CurrencyListPath.c_str(), e.what());
      return false;
    }
  }
  report.archive = ListArchiveYears(paths);
  if (args.site) ReadSite(report, options, paths);
  std::vector<int> archiveYears;
  for (const ArchiveYear& year : report.archive)
    if (!year.days.empty()) archiveYears.push_back(year.year);
  ReportProgress progress(stderr, ::isatty(STDERR_FILENO) == 1);
  report.rows = CountCurrencyYears(paths, options, tickers, archiveYears,
                                   [&progress](const InventoryProgress& p) { progress.Show(p); });
  const StampTimeReader times(options);
  for (const CurrencyYear& row : report.rows) report.states.push_back(StateOf(row.count, times.Problem()));
  return true;
}

}  // namespace

int RunReport(const std::string& givenHome, const ReportArgs& args) {
  try {
    const std::string home = ReadableHome(givenHome);
    if (home.empty()) return kExitError;
    const Paths paths = Paths::ForAppDir(home);
    RunOptions options;
    try {
      options = ParseRunOptions(ReadSettings(paths.SettingsPath, StoredSettings{}).Options);
    } catch (const EOptionError& e) {
      std::fprintf(stderr, "autorateloom-cli: %s\n", e.what());
      return kExitError;
    }
    ReportModel report;
    report.home = home;
    report.yearFiles = YearFilesPattern(options);
    report.timeFormat = options.timeFormat;
    if (!Gather(report, args, options, paths)) return kExitError;
    switch (args.format) {
      case ReportFormat::Text:
        WriteTextReport(report, stdout);
        break;
      case ReportFormat::Csv:
        WriteCsvReport(report, stdout, stderr);
        break;
      case ReportFormat::Json:
        WriteJsonReport(report, stdout);
        break;
    }
    if (std::fflush(stdout) != 0) return kExitError;
    return report.Problems() ? kExitReportDamage : kExitDone;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "autorateloom-cli: %s\n", e.what());
    return kExitError;
  }
}

}  // namespace arl
