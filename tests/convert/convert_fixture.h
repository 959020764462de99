#pragma once
// Shared set-up for the conversion tests: a fake session in a fresh home, day files written into the
// archive tree, and short ways to run the update and read a year file back.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "convert/cross_check.h"
#include "convert/currency_update.h"
#include "support/errors.h"
#include "support/files.h"
#include "tests/common/fake_host.h"

namespace arl::test {

class ConvertTest : public ::testing::Test {
 protected:
  explicit ConvertTest(std::vector<std::string> tickers = {"EURUSD", "USDJPY"}) : fs(tickers) {}

  Session& s() { return fs.session; }
  FakeEvents& host() { return fs.host; }
  std::string YearDir(const std::string& year = "2005") { return s().paths.ArchiveDir + year + "/"; }

  void WriteDay(const std::string& name, const std::string& content, const std::string& year = "2005") {
    MakeDirs(YearDir(year));
    WriteFile(YearDir(year) + name, content);
  }
  bool Update(LineList days, const std::string& year = "2005") {
    return UpdateCurrencyYearFiles(s(), days, year);
  }
  bool UpdateAll(const std::string& year = "2005") {
    LineList days;
    ListFiles(YearDir(year), days);
    return Update(days, year);
  }
  std::string YearPath(const std::string& ticker, const std::string& year = "2005") {
    const auto& o = s().optionValues;
    return s().paths.DataDir + ticker + "/" + (o.RadioGroup3 == 1 ? "1min/" : "") + o.EditFileHeadName +
           year + ".txt";
  }
  std::string Year(const std::string& ticker, const std::string& year = "2005") {
    return FileExists(YearPath(ticker, year)) ? ReadFile(YearPath(ticker, year)) : "<none>";
  }
  void SetCurrencies(const std::string& listText) {
    WriteFile(s().paths.AppDir + "CurrencyList.txt", listText);
  }
  // The log lines written during the test (each message line separately).
  std::vector<std::string>& Logged() { return host().logged; }

  FakeSession fs;
};

// A day-file line: Q("EURUSD", "20050103", "000100") with fixed prices.
inline std::string Q(const std::string& ticker, const std::string& date, const std::string& time,
                     const std::string& prices = "1.3559,1.3561,1.3557,1.3560") {
  return ticker + "," + date + "," + time + "," + prices + "\r\n";
}

}  // namespace arl::test
