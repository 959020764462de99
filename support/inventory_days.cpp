#include "support/inventory_days.h"

#include <exception>

#include "support/inventory_currencies.h"

namespace arl {

bool CountTickerDays(const Paths& paths, const RunOptions& options, std::string_view ticker,
                     const CancelToken& cancel, const YearFileDaysFn& onFile) {
  const StampTimeReader times(options);
  for (const int year : TickerFileYears(paths, options, ticker)) {
    if (cancel.Cancelled()) return false;
    YearFileDays file;
    file.year = year;
    file.path = paths.YearFilePath(options, ticker, std::to_string(year));
    try {
      file.count = CountYearFile(file.path, year, times, [&file](std::int64_t day, std::int64_t lines) {
        file.linesByDay[day] += lines;
      });
    } catch (const std::exception& e) {  // no memory for the file's tables
      file.count.present = true;
      file.count.readError = e.what();
    }
    onFile(std::move(file));
  }
  return true;
}

}  // namespace arl
