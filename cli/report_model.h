#pragma once
// What the inventory report shows, gathered before it is printed in any format: the home, how its
// year files are named and written, the archive's years (with what the site lists when it was
// asked), and one row per currency and year with its state. The writers (report_text.cpp,
// report_csv.cpp, report_json.cpp) only print it.
#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "support/inventory_archive.h"
#include "support/inventory_currencies.h"

namespace arl {

// The state of one row: a short word for machines and a sentence for people ("" when all is well).
// A problem is damage to a file that the figures cannot make up for; a missing year file is none.
struct RowState {
  const char* status = "ok";
  std::string note;
  bool problem = false;
};

// What the archive site lists for a year that is not on disk (only with --site).
struct SiteYear {
  bool listed = false;                // the site lists the year
  std::vector<std::int64_t> missing;  // listed days without a day file, in date order
};

struct ReportModel {
  std::string home;       // ends in "/"
  std::string yearFiles;  // "HistoricalData/<ticker>/1min/1min_<year>.txt"
  std::string timeFormat;
  std::vector<ArchiveYear> archive;
  bool siteAsked = false;
  std::string siteError;  // why the site could not be read ("" when it was, or not asked)
  std::map<int, SiteYear> site;
  std::vector<CurrencyYear> rows;
  std::vector<RowState> states;  // one per row
  bool Problems() const;
};

// The state of a counted row; `timeProblem` says why the time format cannot be read back ("": it can).
RowState StateOf(const YearFileCount& count, const std::string& timeProblem);

void WriteTextReport(const ReportModel& report, std::FILE* out);
// The currency rows only; each row's problem goes to `err` as one line.
void WriteCsvReport(const ReportModel& report, std::FILE* out, std::FILE* err);
void WriteJsonReport(const ReportModel& report, std::FILE* out);

}  // namespace arl
