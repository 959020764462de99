#pragma once
#include "run/session.h"

namespace arl {

// After the years are synchronised: every ticker of the currency list that has no year file and
// whose lines no conversion of this run met is logged as not found in the archive and counts as a
// failure of its own; so does a ticker that cannot name a folder. Other tickers are not touched.
// When no ticker of the list has a year file at all (nothing converted yet, or every year failed),
// nothing can be told about any of them and nothing is said.
void ReportMissingTickers(Session& s);

// The log line for a ticker found nowhere.
std::string TickerNotFoundMessage(const std::string& ticker);

}  // namespace arl
