#include "tests/run/cli_run.h"

#include <filesystem>

#include "tests/common/cli_process.h"

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
  const std::string logPath = home + "/autorateloom.log";
  const std::string before = std::filesystem::exists(logPath) ? ReadFile(logPath) : std::string();
  std::vector<std::string> args{"--home", home};
  args.insert(args.end(), extra.begin(), extra.end());
  const ProcessOutcome p = RunCliProcess(args);
  CliOutcome o;
  o.status = p.status;
  o.out = p.out;
  o.err = p.err;
  const std::string log = std::filesystem::exists(logPath) ? ReadFile(logPath) : std::string();
  o.log = log.substr(std::min(before.size(), log.size()));
  return o;
}

}  // namespace arl::test
