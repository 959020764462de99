#pragma once
// autorateloom-cli as a process on a home served by a loopback site: the home's settings and
// currency list, one run waited for, and what it printed, logged and returned.
#include <string>
#include <vector>

#include "tests/run/e2e_fixture.h"

namespace arl::test {

struct CliOutcome {
  int status = -1;  // exit status, or -1 when it did not exit normally
  std::string out, err;
  std::string log;  // what this run appended to the home's log
};

// Writes the settings (the site's index, the merge ticked or not, then `extraIni` lines with CR LF)
// and the currency list (`list`, or the site's tickers one a line when empty).
void PrepareCliHome(const std::string& home, const ServedSite& served, bool merge,
                    const std::string& extraIni = "", const std::string& list = "");

// One run of autorateloom-cli --home `home` (plus `args`), waited for up to a minute.
CliOutcome RunCli(const std::string& home, const std::vector<std::string>& args = {});

}  // namespace arl::test
