#pragma once
// The currency list: the tickers to produce, one a line, in the order the year files and merge files
// are made. Users edit it by hand, so it is read forgivingly: blanks and tabs around a ticker are
// dropped and blank lines are skipped ("USDJPY " is USDJPY, not a folder named "USDJPY ").
#include <string>

#include "support/text.h"

namespace arl {

inline constexpr char kCurrencyListName[] = "CurrencyList.txt";

// The tickers of the list at `path`, in file order. Raises EInOutError when it cannot be read.
LineList LoadCurrencyList(const std::string& path);

}  // namespace arl
