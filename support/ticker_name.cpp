#include "support/ticker_name.h"

namespace arl {

bool IsSafeTicker(std::string_view ticker) {
  if (ticker == "." || ticker == "..") return false;
  // With no separator the ticker is one path component, so "." and ".." are the only dot names left.
  return ticker.find_first_of(std::string_view("/\\\0", 3)) == std::string_view::npos;
}

std::string UnsafeTickerMessage(std::string_view ticker) {
  std::string shown;
  for (char c : ticker) shown += c == '\0' ? std::string("\\0") : std::string(1, c);
  return shown + " は通貨名として使えないので飛ばします";
}

LineList SafeTickers(const LineList& tickers, LineList* refused) {
  LineList safe;
  for (const std::string& ticker : tickers) {
    if (IsSafeTicker(ticker)) {
      safe.push_back(ticker);
    } else if (refused != nullptr) {
      refused->push_back(UnsafeTickerMessage(ticker));
    }
  }
  return safe;
}

}  // namespace arl
