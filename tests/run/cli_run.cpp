#include "tests/run/cli_run.h"

#include "tests/common/cli_home.h"

namespace arl::test {

void PrepareCliHome(const std::string& home, const ServedSite& served, bool merge,
                    const std::string& extraIni, const std::string& list) {
  std::string tickers = list;
  if (tickers.empty())
    for (const auto& ticker : served.site.DayOptions().tickers) tickers += ticker + "\r\n";
  WriteFile(home + "/CurrencyList.txt", tickers);
  WriteFile(home + "/autorateloom.ini", "[Form]\r\nEditURL=" + served.IndexUrl() +
                                            "\r\nCheckBox1=" + (merge ? "1" : "0") + "\r\n" + extraIni);
}

CliOutcome RunCli(const std::string& home, const std::vector<std::string>& extra) {
  const LogMark log(home + "/autorateloom.log");
  std::vector<std::string> args{"--home", home};
  args.insert(args.end(), extra.begin(), extra.end());
  const ProcessOutcome p = RunCliProcess(args);
  return CliOutcome{p.status, p.out, p.err, log.Since()};
}

}  // namespace arl::test
