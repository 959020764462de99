#pragma once
#include "run/session.h"

namespace arl {
// Opens the index page, sets LatestYear, builds the year list and synchronises every year without a
// marker and always LatestYear.
void DiscoverYears(Session& s);
}  // namespace arl
