#pragma once
// The minutes on disk per date of one currency, for the data overview: each year file of the ticker
// counted by the inventory's reader (inventory_year_file.h), one after another in year order, and
// handed over as soon as it is done, so that a front end shows the years as they come. A cancel is
// honoured between files (a file takes a fraction of a second). Nothing raises for a file: one that
// cannot be read comes with its count's error, a torn or bad line with its count's figures.
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>

#include "support/cancel_token.h"
#include "support/home_layout.h"
#include "support/inventory_year_file.h"

namespace arl {

struct YearFileDays {
  int year = 0;  // of the file's name
  std::string path;
  YearFileCount count;
  // Lines that parse per date (day number). A shift moves some lines of the turn of the year into
  // the file of the year before or after, so a date may be in two files.
  std::map<std::int64_t, std::int64_t> linesByDay;
};
using YearFileDaysFn = std::function<void(YearFileDays&&)>;

// Counts the ticker's year files in year order, calling `onFile` after each; false when the cancel
// stopped it before the last.
bool CountTickerDays(const Paths& paths, const RunOptions& options, std::string_view ticker,
                     const CancelToken& cancel, const YearFileDaysFn& onFile);

}  // namespace arl
