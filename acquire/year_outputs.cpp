// The output side of a year: the currency directories under DataDir and their year files, and the
// mapping of day file names back to day archive names.
#include <filesystem>
#include <system_error>

#include "acquire/day_names.h"
#include "acquire/year_sync.h"
#include "support/files.h"

namespace arl {

void ListCurrencyDirs(Session& s, LineList& list) {
  list.clear();
  namespace fs = std::filesystem;
  std::error_code ec;
  fs::directory_iterator it(s.paths.DataDir, ec);
  for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
    std::error_code typeError;
    if (!it->is_directory(typeError)) continue;
    list.push_back(s.paths.DataDir + it->path().filename().string());
  }
}

void DeleteYearOutputs(Session& s, const std::string& year) {
  LineList currencyDirs;
  ListCurrencyDirs(s, currencyDirs);
  const OptionValues options = s.Options();
  const std::string subDir = options.RadioGroup3 == 1 ? "1min/" : "";
  for (const auto& dir : currencyDirs) {
    const std::string yearFile = dir + "/" + subDir + options.EditFileHeadName + year + ".txt";
    if (FileExists(yearFile)) DeleteFile(yearFile);
  }
}

void DayFilesToArchiveNames(LineList& list) {
  for (auto& name : list) name = SwapDayPairs(name) + ".zip";
}

}  // namespace arl
