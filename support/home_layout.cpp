#include "support/home_layout.h"

#include "support/currency_list.h"
#include "support/home_lock.h"
#include "support/settings.h"

namespace arl {

namespace {

std::string Joined(std::string_view a, std::string_view b, std::string_view c = {}, std::string_view d = {}) {
  std::string path;
  path.reserve(a.size() + b.size() + c.size() + d.size());
  return path.append(a).append(b).append(c).append(d);
}

}  // namespace

Paths Paths::ForAppDir(std::string appDir) {
  if (appDir.empty() || appDir.back() != '/') appDir += '/';
  Paths p;
  p.AppDir = appDir;
  p.ArchiveDir = appDir + "OriginalArchive/";
  p.DataDir = appDir + "HistoricalData/";
  p.LogPath = appDir + kLogFileName;
  p.SettingsPath = appDir + kSettingsFileName;
  p.CurrencyListPath = appDir + kCurrencyListName;
  p.LockPath = appDir + kLockFileName;
  return p;
}

std::string Paths::YearArchiveDir(std::string_view year) const { return Joined(ArchiveDir, year, "/"); }

std::string Paths::DayFilePath(std::string_view year, std::string_view dayFileName) const {
  return Joined(ArchiveDir, year, "/", dayFileName);
}

std::string Paths::YearMarkerPath(std::string_view year) const {
  return Joined(ArchiveDir, year, "/", kYearMarkerName);
}

std::string Paths::TickerDir(std::string_view ticker) const { return Joined(DataDir, ticker, "/"); }

std::string Paths::CurrencyDir(const RunOptions& options, std::string_view ticker) const {
  return Joined(DataDir, ticker, options.subFolder ? "/1min/" : "/");
}

std::string Paths::YearFilePath(const RunOptions& options, std::string_view ticker,
                                std::string_view year) const {
  return Joined(CurrencyDir(options, ticker), options.prefix, year, ".txt");
}

std::string Paths::MergeFilePath(const RunOptions& options, std::string_view ticker) const {
  return Joined(CurrencyDir(options, ticker), options.prefix, "Merge.txt");
}

}  // namespace arl
