#include "support/inventory_currencies.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <mutex>
#include <set>
#include <thread>

#include "support/files.h"

namespace arl {

namespace {

constexpr int kCountingThreads = 2;

std::vector<CurrencyYear> Rows(const Paths& paths, const RunOptions& options, const LineList& tickers,
                               const std::vector<int>& archiveYears) {
  std::vector<CurrencyYear> rows;
  for (const std::string& ticker : tickers) {
    std::set<int> years(archiveYears.begin(), archiveYears.end());
    for (const int year : TickerFileYears(paths, options, ticker)) years.insert(year);
    for (const int year : years) {
      const std::string text = std::to_string(year);
      rows.push_back({ticker, year, paths.YearFilePath(options, ticker, text), {}});
    }
  }
  return rows;
}

}  // namespace

std::vector<int> TickerFileYears(const Paths& paths, const RunOptions& options, std::string_view ticker) {
  LineList names;
  std::set<int> years;
  for (const std::string& name : ListFiles(paths.CurrencyDir(options, ticker), names))
    if (const int year = YearOfYearFileName(name, options.prefix)) years.insert(year);
  return {years.begin(), years.end()};
}

int YearOfYearFileName(std::string_view name, std::string_view prefix) {
  if (name.size() != prefix.size() + 8 || !name.starts_with(prefix) || !name.ends_with(".txt")) return 0;
  int year = 0;
  for (char c : name.substr(prefix.size(), 4)) {
    if (c < '0' || c > '9') return 0;
    year = year * 10 + (c - '0');
  }
  return IsInventoryYear(year) ? year : 0;
}

std::vector<CurrencyYear> CountCurrencyYears(const Paths& paths, const RunOptions& options,
                                             const LineList& tickers, const std::vector<int>& archiveYears,
                                             const InventoryProgressFn& progress) {
  std::vector<CurrencyYear> rows = Rows(paths, options, tickers, archiveYears);
  const StampTimeReader times(options);
  InventoryProgress done;
  done.files = rows.size();
  for (const CurrencyYear& row : rows) done.bytes += FileSizeByName(row.path);
  std::mutex mutex;
  std::atomic<std::size_t> next{0};
  auto work = [&] {
    for (std::size_t i; (i = next++) < rows.size();) {
      CurrencyYear& row = rows[i];
      if (progress) {
        std::lock_guard lock(mutex);
        done.taken = &row;
        progress(done);
      }
      try {
        row.count = CountYearFile(row.path, row.year, times);
      } catch (const std::exception& e) {  // no memory for a file's table: that row says so
        row.count.present = true;
        row.count.readError = e.what();
      }
      std::lock_guard lock(mutex);
      ++done.filesDone;
      done.bytesDone += row.count.bytes;
    }
  };
  std::vector<std::jthread> helpers;
  for (int t = 1; t < std::min<int>(kCountingThreads, static_cast<int>(rows.size())); ++t)
    helpers.emplace_back(work);
  work();
  helpers.clear();
  return rows;
}

}  // namespace arl
