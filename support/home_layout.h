#pragma once
// Paths: the layout of a home, and the only place that knows it. Every file and folder of a home is
// named here: the settings, the log, the run lock and the currency list beside the executables (or in
// the --home folder), the day archive "OriginalArchive/<year>/" with its day files and year marker,
// and each currency's output folder "HistoricalData/<ticker>/[1min/]" with its year files
// "<prefix><year>.txt" and its merge file "<prefix>Merge.txt", and the bar files of the higher
// timeframes. The names are stored formats: users and earlier versions rely on them. Building a path never
// fails and touches nothing on disk.
#include <string>
#include <string_view>

#include "support/run_options.h"

namespace arl {

// The year marker in a year's archive folder: an empty file whose presence says that the year's
// page listed nothing missing at its last visit and its year files were then brought up to date.
inline constexpr char kYearMarkerName[] = "complete.arlm";
// Beside it while a conversion of the year has changed 1-minute files whose bar files are still to
// follow: the day from which they are made again.
inline constexpr char kBarsPendingName[] = "bars.arlm";

struct Paths {
  std::string AppDir;                          // ends in "/"
  std::string ArchiveDir;                      // AppDir + "OriginalArchive/"
  std::string DataDir;                         // AppDir + "HistoricalData/"
  std::string LogPath;                         // AppDir + "autorateloom.log"
  std::string SettingsPath;                    // AppDir + "autorateloom.ini"
  std::string CurrencyListPath;                // AppDir + "CurrencyList.txt"
  std::string LockPath;                        // AppDir + "autorateloom.lock": one run per home
  static Paths ForAppDir(std::string appDir);  // adds the trailing "/" when missing

  // ArchiveDir + year + "/": the year's day files "yymmdd.txt" and its marker.
  std::string YearArchiveDir(std::string_view year) const;
  std::string DayFilePath(std::string_view year, std::string_view dayFileName) const;
  std::string YearMarkerPath(std::string_view year) const;
  std::string BarsPendingPath(std::string_view year) const;

  // DataDir + ticker + "/", the folder that holds the "1min/" level when it is chosen.
  std::string TickerDir(std::string_view ticker) const;
  // The folder of the ticker's year files and merge file under the options, ending in "/".
  std::string CurrencyDir(const RunOptions& options, std::string_view ticker) const;
  std::string YearFilePath(const RunOptions& options, std::string_view ticker, std::string_view year) const;
  std::string MergeFilePath(const RunOptions& options, std::string_view ticker) const;

  // The bar files of a higher timeframe (frame: "5min", "1hour", ...): "<frame>_<year>.txt" and
  // "<frame>_Merge.txt", in "<ticker>/<frame>/" when the 1-minute files have their "1min/" folder,
  // else beside them in "<ticker>/". Their names do not depend on the 1-minute files' prefix.
  std::string BarDir(const RunOptions& options, std::string_view ticker, std::string_view frame) const;
  std::string BarYearFilePath(const RunOptions& options, std::string_view ticker, std::string_view frame,
                              std::string_view year) const;
  std::string BarMergeFilePath(const RunOptions& options, std::string_view ticker,
                               std::string_view frame) const;
};

}  // namespace arl
