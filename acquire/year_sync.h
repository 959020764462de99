#pragma once
#include <string>

#include "run/session.h"
#include "support/text.h"

namespace arl {
// The year marker in a year's archive directory: an empty file, only its presence counts.
inline constexpr char kYearMarkerName[] = "complete.arlm";

// Brings one year up to date from its page; true when the year ends complete (marker present).
bool SyncYear(Session& s, const std::string& pageUrl, const std::string& year);
void ListCurrencyDirs(Session& s, LineList& list);
void DeleteYearOutputs(Session& s, const std::string& year);
void DayFilesToArchiveNames(LineList& list);
}  // namespace arl
