#pragma once
// The archive half of the inventory: per year folder of OriginalArchive/, the day files on disk,
// the first and last of their days and the year marker. Only names are read (no file is opened), so
// a run that extracts day files meanwhile is no hazard: a day it is writing counts as on disk.
// A folder that cannot be listed reads as empty; nothing raises.
#include <cstdint>
#include <vector>

#include "support/home_layout.h"
#include "support/inventory_line_stamp.h"

namespace arl {

struct ArchiveYear {
  int year = 0;
  std::vector<std::int64_t> days;  // the day numbers of its day files "yymmdd.txt", in date order
  bool marker = false;             // complete.arlm is there
};

// The years the inventory takes: four digits, with a year before and after them in the calendar.
inline bool IsInventoryYear(int year) { return year >= 1000 && year <= 9998; }

// The years of the archive folder (four-digit folder names), in year order.
std::vector<ArchiveYear> ListArchiveYears(const Paths& paths);

// The day number of a day file's name "yymmdd.txt" in `year`, or kNoDay when it names no day of it.
std::int64_t DayOfDayFileName(std::string_view name, int year);

}  // namespace arl
