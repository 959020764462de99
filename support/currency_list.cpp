#include "support/currency_list.h"

namespace arl {

LineList LoadCurrencyList(const std::string& path) {
  LineList tickers;
  for (const std::string& line : LoadLines(path)) {
    const auto first = line.find_first_not_of(" \t");
    if (first == std::string::npos) continue;
    tickers.push_back(line.substr(first, line.find_last_not_of(" \t") - first + 1));
  }
  return tickers;
}

}  // namespace arl
