// The report as CSV: the currency rows under a fixed header, nothing else on stdout, so that a
// spreadsheet or a script reads it as it is. A row's problem goes to stderr, one line each; the exit
// status says whether there was any.
#include <string>

#include "cli/report_model.h"

namespace arl {

namespace {

// A field quoted as RFC 4180 wants it when it holds a comma, a quote or a line break.
std::string CsvField(const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string quoted = "\"";
  for (char c : text) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
  return quoted + "\"";
}

}  // namespace

void WriteCsvReport(const ReportModel& report, std::FILE* out, std::FILE* err) {
  std::fprintf(out, "ticker,year,lines,first,last,days_with_data,weekdays_without_data\n");
  for (std::size_t i = 0; i < report.rows.size(); ++i) {
    const CurrencyYear& row = report.rows[i];
    const YearFileCount& c = row.count;
    const bool times = c.timesRead && c.first.day != kNoDay;
    std::string weekdays;
    for (std::int64_t day : c.weekdaysWithoutData) weekdays += (weekdays.empty() ? "" : " ") + DayText(day);
    std::fprintf(out, "%s,%d,%lld,%s,%s,%lld,%s\n", CsvField(row.ticker).c_str(), row.year,
                 static_cast<long long>(c.lines), times ? StampText(c.first).c_str() : "",
                 times ? StampText(c.last).c_str() : "", static_cast<long long>(c.daysWithData),
                 weekdays.c_str());
    const RowState& state = report.states[i];
    if (!state.note.empty())
      std::fprintf(err, "autorateloom-cli: %s %d (%s): %s\n", row.ticker.c_str(), row.year, state.status,
                   state.note.c_str());
  }
  if (!report.siteError.empty()) std::fprintf(err, "autorateloom-cli: %s\n", report.siteError.c_str());
}

}  // namespace arl
