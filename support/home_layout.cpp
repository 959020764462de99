#include "support/home_layout.h"

#include <initializer_list>

#include "support/currency_list.h"
#include "support/home_lock.h"
#include "support/settings.h"

namespace arl {

namespace {

std::string Joined(std::initializer_list<std::string_view> parts) {
  std::string path;
  for (std::string_view part : parts) path.append(part);
  return path;
}

template <typename... Parts>
std::string Joined(const Parts&... parts) {
  return Joined({std::string_view(parts)...});
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

std::string Paths::BarsPendingPath(std::string_view year) const {
  return Joined(ArchiveDir, year, "/", kBarsPendingName);
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

std::string Paths::BarDir(const RunOptions& options, std::string_view ticker, std::string_view frame) const {
  return options.subFolder ? Joined(DataDir, ticker, "/", frame, "/") : Joined(DataDir, ticker, "/");
}

std::string Paths::BarYearFilePath(const RunOptions& options, std::string_view ticker, std::string_view frame,
                                   std::string_view year) const {
  return Joined(BarDir(options, ticker, frame), frame, "_", year, ".txt");
}

std::string Paths::BarMergeFilePath(const RunOptions& options, std::string_view ticker,
                                    std::string_view frame) const {
  return Joined(BarDir(options, ticker, frame), frame, "_Merge.txt");
}

}  // namespace arl
