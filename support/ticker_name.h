#pragma once
// Whether a line of the currency list can name a directory below DataDir. The ticker becomes a path
// component as it stands, so a ticker with "/" or "\", a NUL, or one that is "." or ".." would put
// year files and merge files beside or above DataDir, or into a currency that is not its own. Such
// tickers are skipped with one log line; the empty line keeps its own effects and is not refused here.
#include <string>
#include <string_view>

#include "support/text.h"

namespace arl {

bool IsSafeTicker(std::string_view ticker);

// The log line for a refused ticker.
std::string UnsafeTickerMessage(std::string_view ticker);

// The safe tickers of `tickers`, in order; `refused` (when given) gets one message per ticker left out.
LineList SafeTickers(const LineList& tickers, LineList* refused = nullptr);

}  // namespace arl
