#include "support/inventory_archive.h"

#include <algorithm>
#include <filesystem>

#include "support/datetime.h"
#include "support/files.h"

namespace arl {

namespace {

bool AllDigits(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

std::int64_t DayOfDayFileName(std::string_view name, int year) {
  if (name.size() != 10 || name.substr(6) != ".txt" || !AllDigits(name.substr(0, 6))) return kNoDay;
  auto pair = [name](std::size_t at) { return (name[at] - '0') * 10 + (name[at + 1] - '0'); };
  DateTime date;
  if (pair(0) != year % 100 || !TryEncodeDate(year, pair(2), pair(4), date)) return kNoDay;
  return date.DayNumber();
}

std::vector<ArchiveYear> ListArchiveYears(const Paths& paths) {
  std::vector<ArchiveYear> years;
  std::error_code error;
  for (std::filesystem::directory_iterator it(paths.ArchiveDir, error), end; !error && it != end;
       it.increment(error)) {
    const std::string name = it->path().filename().string();
    if (name.size() != 4 || !AllDigits(name) || !it->is_directory(error)) continue;
    ArchiveYear year;
    year.year = std::stoi(name);
    if (!IsInventoryYear(year.year)) continue;
    LineList files;
    for (const std::string& file : ListFiles(paths.YearArchiveDir(name), files)) {
      const std::int64_t day = DayOfDayFileName(file, year.year);
      if (day != kNoDay) year.days.push_back(day);
    }
    std::sort(year.days.begin(), year.days.end());
    year.marker = FileExists(paths.YearMarkerPath(name));
    years.push_back(std::move(year));
  }
  std::sort(years.begin(), years.end(),
            [](const ArchiveYear& a, const ArchiveYear& b) { return a.year < b.year; });
  return years;
}

}  // namespace arl
