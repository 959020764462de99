// The report as one JSON document: the home, the archive's years and the currency rows, every
// string escaped (quotes, backslashes, control characters) and every byte that is not UTF-8 replaced
// by U+FFFD, so that any parser takes it whatever a ticker or a path holds.
#include <string>

#include "cli/report_model.h"

namespace arl {

namespace {

// The length of the UTF-8 sequence at text[at], or 0 when none starts there.
std::size_t Utf8Length(const std::string& text, std::size_t at) {
  const auto c = static_cast<unsigned char>(text[at]);
  std::size_t n = c < 0x80                 ? 1
                  : c >= 0xc2 && c <= 0xdf ? 2
                  : c >= 0xe0 && c <= 0xef ? 3
                  : c >= 0xf0 && c <= 0xf4 ? 4
                                           : 0;
  if (n == 0 || at + n > text.size()) return 0;
  for (std::size_t i = 1; i < n; ++i)
    if ((static_cast<unsigned char>(text[at + i]) & 0xc0) != 0x80) return 0;
  const auto c1 = static_cast<unsigned char>(n > 1 ? text[at + 1] : 0);
  // Overlong forms, surrogates and values past U+10FFFF.
  if ((c == 0xe0 && c1 < 0xa0) || (c == 0xed && c1 > 0x9f) || (c == 0xf0 && c1 < 0x90) ||
      (c == 0xf4 && c1 > 0x8f))
    return 0;
  return n;
}

std::string Json(const std::string& text) {
  std::string out = "\"";
  for (std::size_t at = 0; at < text.size();) {
    const char c = text[at];
    const std::size_t n = Utf8Length(text, at);
    if (n == 0) {
      out += "\\ufffd";
      ++at;
      continue;
    }
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (static_cast<unsigned char>(c) < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
      out += escaped;
    } else {
      out.append(text, at, n);
    }
    at += n;
  }
  return out + "\"";
}

std::string DayArray(const std::vector<std::int64_t>& days) {
  std::string list = "[";
  for (std::int64_t day : days) list += (list.size() > 1 ? ", \"" : "\"") + DayText(day) + "\"";
  return list + "]";
}

std::string DayOrNull(const std::vector<std::int64_t>& days, bool last) {
  return days.empty() ? "null" : "\"" + DayText(last ? days.back() : days.front()) + "\"";
}

}  // namespace

void WriteJsonReport(const ReportModel& report, std::FILE* out) {
  std::fprintf(out, "{\n  \"home\": %s,\n  \"year_files\": %s,\n  \"time_format\": %s,\n",
               Json(report.home).c_str(), Json(report.yearFiles).c_str(), Json(report.timeFormat).c_str());
  if (report.siteAsked)
    std::fprintf(out, "  \"site_error\": %s,\n",
                 report.siteError.empty() ? "null" : Json(report.siteError).c_str());
  std::fprintf(out, "  \"archive\": [");
  for (std::size_t i = 0; i < report.archive.size(); ++i) {
    const ArchiveYear& year = report.archive[i];
    std::fprintf(out,
                 "%s\n    {\"year\": %d, \"day_files\": %zu, \"first\": %s, \"last\": %s, \"marker\": %s",
                 i ? "," : "", year.year, year.days.size(), DayOrNull(year.days, false).c_str(),
                 DayOrNull(year.days, true).c_str(), year.marker ? "true" : "false");
    const auto site = report.site.find(year.year);
    if (report.siteAsked)
      std::fprintf(out, ", \"not_on_disk\": %s",
                   site == report.site.end() || !site->second.listed
                       ? "null"
                       : DayArray(site->second.missing).c_str());
    std::fprintf(out, "}");
  }
  std::fprintf(out, "%s],\n  \"currencies\": [", report.archive.empty() ? "" : "\n  ");
  for (std::size_t i = 0; i < report.rows.size(); ++i) {
    const CurrencyYear& row = report.rows[i];
    const YearFileCount& c = row.count;
    const bool times = c.timesRead && c.first.day != kNoDay;
    std::fprintf(out,
                 "%s\n    {\"ticker\": %s, \"year\": %d, \"status\": \"%s\", \"lines\": %lld, \"first\": %s, "
                 "\"last\": %s, \"days_with_data\": %lld, \"weekdays_without_data\": %s, \"note\": %s}",
                 i ? "," : "", Json(row.ticker).c_str(), row.year, report.states[i].status,
                 static_cast<long long>(c.lines), times ? Json(StampText(c.first)).c_str() : "null",
                 times ? Json(StampText(c.last)).c_str() : "null", static_cast<long long>(c.daysWithData),
                 DayArray(c.weekdaysWithoutData).c_str(), Json(report.states[i].note).c_str());
  }
  std::fprintf(out, "%s]\n}\n", report.rows.empty() ? "" : "\n  ");
}

}  // namespace arl
