#include "convert/year_files.h"

#include "support/files.h"

namespace arl {

void CreateTickerDirs(const Paths& paths, const RunOptions& options, const std::string& ticker) {
  const std::string top = paths.TickerDir(ticker);
  if (!DirectoryExists(top)) CreateDir(top);
  const std::string sub = paths.CurrencyDir(options, ticker);
  if (sub != top && !DirectoryExists(sub)) CreateDir(sub);
}

}  // namespace arl
