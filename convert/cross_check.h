#pragma once
#include "run/session.h"
#include "support/text.h"

namespace arl {
// Levels LatestYear's year files with each other by re-running the last days; writes the year
// marker on success. `scratch` is refilled with the year's day files.
bool CrossCheckCurrencies(Session& s, LineList& scratch);
}  // namespace arl
