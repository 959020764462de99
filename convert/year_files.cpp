#include "convert/year_files.h"

#include "support/files.h"

namespace arl {

namespace {
std::string SubDir(const OptionValues& options) { return options.RadioGroup3 == 1 ? "1min/" : ""; }
}  // namespace

std::string TickerYearDir(const Paths& paths, const OptionValues& options, const std::string& ticker) {
  return paths.DataDir + ticker + "/" + SubDir(options);
}

std::string YearFilePath(const Paths& paths, const OptionValues& options, const std::string& ticker,
                         const std::string& year) {
  return TickerYearDir(paths, options, ticker) + options.EditFileHeadName + year + ".txt";
}

void CreateTickerDirs(const Paths& paths, const OptionValues& options, const std::string& ticker) {
  const std::string top = paths.DataDir + ticker + "/";
  if (!DirectoryExists(top)) CreateDir(top);
  const std::string sub = TickerYearDir(paths, options, ticker);
  if (sub != top && !DirectoryExists(sub)) CreateDir(sub);
}

}  // namespace arl
