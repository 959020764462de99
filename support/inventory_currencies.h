#pragma once
// The currency half of the inventory: every year file of the chosen tickers counted (see
// inventory_year_file.h). A ticker's years are those of its year files under the options' folder and
// prefix, and the archive's years, so that a year file the archive would give but that is missing
// shows as a row of its own. The files are counted on two threads, each taking the next file: a
// report over every currency reads gigabytes, and the reading of one file does not wait for another.
// Nothing raises for a file; a progress callback hears of each file as it is taken.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "support/home_layout.h"
#include "support/inventory_archive.h"
#include "support/inventory_year_file.h"
#include "support/text.h"

namespace arl {

struct CurrencyYear {
  std::string ticker;
  int year = 0;
  std::string path;
  YearFileCount count;
};

// How far the counting is: files and bytes done of all, and the file just taken. Called on either
// thread, one call at a time.
struct InventoryProgress {
  std::size_t filesDone = 0, files = 0;
  std::int64_t bytesDone = 0, bytes = 0;
  const CurrencyYear* taken = nullptr;
};
using InventoryProgressFn = std::function<void(const InventoryProgress&)>;

// The rows of `tickers` (in their order) and years (in year order), with `archiveYears` (the
// archive's years that have day files) added to each ticker's own.
std::vector<CurrencyYear> CountCurrencyYears(const Paths& paths, const RunOptions& options,
                                             const LineList& tickers, const std::vector<int>& archiveYears,
                                             const InventoryProgressFn& progress = {});

// The years of the ticker's year files under the options' folder and prefix, ascending.
std::vector<int> TickerFileYears(const Paths& paths, const RunOptions& options, std::string_view ticker);

// The year of a year file's name "<prefix><year>.txt", or 0 when it is no such name or year.
int YearOfYearFileName(std::string_view name, std::string_view prefix);

}  // namespace arl
