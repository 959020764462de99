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

namespace {

// Where every currency directory under DataDir keeps its year file of `year`, under the options now.
LineList YearFilePaths(Session& s, const std::string& year) {
  LineList paths;
  ListCurrencyDirs(s, paths);
  const RunOptions& options = s.Options();
  for (auto& dir : paths) {
    const std::string ticker = dir.substr(s.paths.DataDir.size());
    dir = s.paths.YearFilePath(options, ticker, year);
  }
  return paths;
}

}  // namespace

void DeleteYearOutputs(Session& s, const std::string& year) {
  for (const auto& yearFile : YearFilePaths(s, year)) {
    if (FileExists(yearFile)) DeleteFile(yearFile);
  }
}

YearOutputsAside::YearOutputsAside(Session& s, const std::string& year) {
  for (const auto& yearFile : YearFilePaths(s, year)) {
    const std::string aside = yearFile + kSuffix;
    // A file left aside by a killed run stands for the year file when that one is gone.
    if (FileExists(yearFile)) {
      if (!RenameFile(yearFile, aside)) DeleteFile(yearFile);
    }
    if (FileExists(aside)) paths_.push_back(yearFile);
  }
}

void YearOutputsAside::Drop() {
  for (const auto& path : paths_) DeleteFile(path + kSuffix);
  paths_.clear();
}

void YearOutputsAside::Restore() {
  for (const auto& path : paths_) {
    if (FileExists(path)) {
      DeleteFile(path + kSuffix);
    } else {
      RenameFile(path + kSuffix, path);
    }
  }
  paths_.clear();
}

void YearOutputsAside::DropLeftOver(Session& s, const std::string& year) {
  for (const auto& yearFile : YearFilePaths(s, year))
    if (FileExists(yearFile + kSuffix) && FileExists(yearFile)) DeleteFile(yearFile + kSuffix);
}

void DayFilesToArchiveNames(LineList& list) {
  for (auto& name : list) name = SwapDayPairs(name) + ".zip";
}

}  // namespace arl
