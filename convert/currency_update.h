#pragma once
#include <string>

#include "run/session.h"
#include "support/text.h"

namespace arl {
// Converts the listed day files (bare names in the year's archive folder, sorted in place) into
// every ticker's year file of `year`, with overlap detection. False on cancel or error.
bool UpdateCurrencyYearFiles(Session& s, LineList& dayFiles, const std::string& year);
}  // namespace arl
