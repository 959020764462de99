#include "support/currency_list.h"

namespace arl {

LineList LoadCurrencyList(const std::string& path) {
  LineList tickers;
  for (const std::string& line : LoadLines(path)) {
    const std::string_view ticker = TrimBlanks(line);
    if (!ticker.empty()) tickers.emplace_back(ticker);
  }
  return tickers;
}

}  // namespace arl
