#pragma once
#include <string>

#include "run/session.h"
#include "support/text.h"

namespace arl {
// Downloads, extracts and renames the day archives of one pass (YearLinkList), with the retry limit.
// Returns why the last attempt that failed failed ("" when none did). A full disk raises EDiskFull.
std::string DownloadMissingArchives(Session& s, const LineList& yearLinkList, int retryLimit);
std::string DayFileName(const std::string& archiveName);
bool ExtractAndRename(Session& s, const std::string& archivePath, const std::string& dayName);
}  // namespace arl
