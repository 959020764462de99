// The report as text: aligned tables for the archive and the currencies, then the long lists (the
// weekdays without data, the days the site lists that are not on disk), one line per year.
#include <string>
#include <vector>

#include "cli/report_model.h"

namespace arl {

namespace {

// Columns two spaces apart, each as wide as its widest cell in characters; the last is not padded.
class TextTable {
 public:
  void Row(std::vector<std::string> cells) { rows_.push_back(std::move(cells)); }
  void Print(std::FILE* out) const {
    std::vector<std::size_t> widths;
    for (const auto& row : rows_)
      for (std::size_t c = 0; c < row.size(); ++c) {
        if (widths.size() <= c) widths.push_back(0);
        widths[c] = std::max(widths[c], Characters(row[c]));
      }
    for (const auto& row : rows_) {
      std::string line;
      for (std::size_t c = 0; c < row.size(); ++c) {
        line += row[c];
        if (c + 1 < row.size()) line.append(widths[c] - Characters(row[c]) + 2, ' ');
      }
      while (!line.empty() && line.back() == ' ') line.pop_back();
      std::fprintf(out, "%s\n", line.c_str());
    }
  }

 private:
  static std::size_t Characters(const std::string& text) {
    std::size_t n = 0;
    for (char c : text) n += (static_cast<unsigned char>(c) & 0xc0) != 0x80;
    return n;
  }
  std::vector<std::vector<std::string>> rows_;
};

std::string Day(std::int64_t day) { return day == kNoDay ? "-" : DayText(day); }

std::string DayList(const std::vector<std::int64_t>& days) {
  std::string list;
  for (std::int64_t day : days) list += (list.empty() ? "" : " ") + DayText(day);
  return list;
}

void PrintArchive(const ReportModel& report, std::FILE* out) {
  std::fprintf(out, "\nOriginalArchive\n");
  TextTable table;
  std::vector<std::string> head = {"year", "day_files", "first", "last", "marker"};
  if (report.siteAsked) head.emplace_back("not_on_disk");
  table.Row(head);
  for (const ArchiveYear& year : report.archive) {
    std::vector<std::string> row = {std::to_string(year.year), std::to_string(year.days.size()),
                                    Day(year.days.empty() ? kNoDay : year.days.front()),
                                    Day(year.days.empty() ? kNoDay : year.days.back()),
                                    year.marker ? "yes" : "no"};
    if (report.siteAsked) {
      const auto site = report.site.find(year.year);
      row.push_back(site == report.site.end() || !site->second.listed
                        ? "-"
                        : std::to_string(site->second.missing.size()));
    }
    table.Row(row);
  }
  table.Print(out);
}

void PrintCurrencies(const ReportModel& report, std::FILE* out) {
  std::fprintf(out, "\nHistoricalData\n");
  TextTable table;
  table.Row({"ticker", "year", "lines", "first", "last", "days_with_data", "weekdays_without_data", "status",
             "note"});
  for (std::size_t i = 0; i < report.rows.size(); ++i) {
    const YearFileCount& c = report.rows[i].count;
    const bool times = c.timesRead && c.first.day != kNoDay;
    table.Row({report.rows[i].ticker, std::to_string(report.rows[i].year), std::to_string(c.lines),
               times ? StampText(c.first) : "-", times ? StampText(c.last) : "-",
               std::to_string(c.daysWithData), std::to_string(c.weekdaysWithoutData.size()),
               report.states[i].status, report.states[i].note});
  }
  table.Print(out);
}

}  // namespace

void WriteTextReport(const ReportModel& report, std::FILE* out) {
  std::fprintf(out, "ホーム: %s\n年ファイル: %s (時刻の書式 %s)\n", report.home.c_str(),
               report.yearFiles.c_str(), report.timeFormat.c_str());
  if (!report.siteError.empty()) std::fprintf(out, "サイト: %s\n", report.siteError.c_str());
  PrintArchive(report, out);
  PrintCurrencies(report, out);
  bool heading = false;
  for (const CurrencyYear& row : report.rows) {
    if (row.count.weekdaysWithoutData.empty()) continue;
    if (!heading) std::fprintf(out, "\nweekdays_without_data (データのない平日)\n");
    heading = true;
    std::fprintf(out, "%s %d: %s\n", row.ticker.c_str(), row.year,
                 DayList(row.count.weekdaysWithoutData).c_str());
  }
  heading = false;
  for (const auto& [year, site] : report.site) {
    if (site.missing.empty()) continue;
    if (!heading) std::fprintf(out, "\nnot_on_disk (サイトにあってディスクにない日)\n");
    heading = true;
    std::fprintf(out, "%d: %s\n", year, DayList(site.missing).c_str());
  }
}

}  // namespace arl
