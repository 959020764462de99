#pragma once
// Where a currency's year files live: DataDir + ticker + "/" + ("1min/" when the sub-folder is
// chosen) + prefix + year + ".txt". Shared by the update, the cross-check and the year rebuild.
#include <string>

#include "run/session.h"

namespace arl {

// The directory of the ticker's year files, ending in "/".
std::string TickerYearDir(const Paths& paths, const RunOptions& options, const std::string& ticker);
std::string YearFilePath(const Paths& paths, const RunOptions& options, const std::string& ticker,
                         const std::string& year);
// Creates DataDir + ticker + "/" and then the "1min/" level below it when used; failures are left to
// the file operations that follow.
void CreateTickerDirs(const Paths& paths, const RunOptions& options, const std::string& ticker);

}  // namespace arl
