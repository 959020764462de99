#include "convert/year_files.h"

#include "support/files.h"

namespace arl {

std::string TickerYearDir(const Paths& paths, const RunOptions& options, const std::string& ticker) {
  return options.CurrencyDir(paths.DataDir, ticker);
}

std::string YearFilePath(const Paths& paths, const RunOptions& options, const std::string& ticker,
                         const std::string& year) {
  return TickerYearDir(paths, options, ticker) + options.YearFileName(year);
}

void CreateTickerDirs(const Paths& paths, const RunOptions& options, const std::string& ticker) {
  const std::string top = paths.DataDir + ticker + "/";
  if (!DirectoryExists(top)) CreateDir(top);
  const std::string sub = TickerYearDir(paths, options, ticker);
  if (sub != top && !DirectoryExists(sub)) CreateDir(sub);
}

}  // namespace arl
