#include "run/missing_tickers.h"

#include "merge/year_list.h"
#include "support/currency_list.h"
#include "support/ticker_name.h"

namespace arl {

std::string TickerNotFoundMessage(const std::string& ticker) {
  return ticker +
         " はアーカイブに見つかりませんでした "
         "(年ファイルがなく、今回変換した日ファイルにもこの通貨の行がありません)"
         "。" +
         kCurrencyListName + " の綴りを確認してください";
}

void ReportMissingTickers(Session& s) {
  LineList refused;
  const LineList tickers = SafeTickers(LoadCurrencyList(s.paths.CurrencyListPath), &refused);
  for (const std::string& message : refused) s.outcome.TickerFailed(message, message);

  LineList missing;
  bool anyYearFile = false;
  for (const std::string& ticker : tickers) {
    if (!YearFilesIn(CurrencyLayout(s, ticker)).empty()) {
      anyYearFile = true;
    } else if (!s.outcome.WasSeen(ticker)) {
      missing.push_back(ticker);
    }
  }
  if (!anyYearFile) return;
  for (const std::string& ticker : missing) {
    const std::string message = TickerNotFoundMessage(ticker);
    s.AddLog(message);
    s.outcome.TickerFailed(ticker, message);
  }
}

}  // namespace arl
