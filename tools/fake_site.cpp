// fake_site: writes, grows and serves a generated archive site.
//   fake_site generate DIR [--seed N] [--years 2009-2011] [--days N] [--newest-days N] [--tickers N]
//                          [--minutes FIRST-LAST]
//   fake_site grow DIR [--days N]
//   fake_site serve DIR [--port-file FILE] [--slow MS]
//                                               prints the index address, runs until SIGTERM/SIGINT;
//                                               --slow: each archive answers after MS ms and then
//                                               trickles in, 4 KB every 10 ms (to watch a run's progress)
//   fake_site tickers DIR                       the site's tickers, one a line with CR LF (a currency list)
#include "tools/lib/fake_site.h"

#include <signal.h>

#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "tools/lib/site_server.h"

namespace {

using arl::tools::FakeSite;
using arl::tools::FakeSiteOptions;

int Usage() {
  std::cerr << "usage: fake_site generate DIR [--seed N] [--years FIRST-LAST] [--days N] [--newest-days N]\n"
               "                              [--tickers N] [--minutes FIRST-LAST]\n"
               "       fake_site grow DIR [--days N]\n"
               "       fake_site serve DIR [--port-file FILE] [--slow MS]\n"
               "       fake_site tickers DIR\n";
  return 2;
}

// "2009-2011" -> {2009, 2011}; a single number gives both.
std::pair<int, int> Range(const std::string& text) {
  auto dash = text.find('-');
  if (dash == std::string::npos) return {std::stoi(text), std::stoi(text)};
  return {std::stoi(text.substr(0, dash)), std::stoi(text.substr(dash + 1))};
}

int Generate(const std::string& dir, const std::vector<std::string>& args) {
  FakeSiteOptions o;
  for (std::size_t i = 0; i + 1 < args.size(); i += 2) {
    const std::string& key = args[i];
    const std::string& value = args[i + 1];
    if (key == "--seed")
      o.seed = std::stoull(value);
    else if (key == "--years")
      std::tie(o.firstYear, o.lastYear) = Range(value);
    else if (key == "--days")
      o.daysPerYear = std::stoi(value);
    else if (key == "--newest-days")
      o.newestDays = std::stoi(value);
    else if (key == "--tickers")
      o.tickers = std::stoi(value);
    else if (key == "--minutes")
      std::tie(o.firstMinute, o.lastMinute) = Range(value);
    else
      return Usage();
  }
  if (args.size() % 2 != 0) return Usage();
  FakeSite site = FakeSite::Generate(dir, o);
  std::cout << "generated " << site.Options().firstYear << "-" << site.NewestYear() << " in " << site.Dir()
            << "\n";
  return 0;
}

int Grow(const std::string& dir, const std::vector<std::string>& args) {
  int days = 1;
  if (args.size() == 2 && args[0] == "--days")
    days = std::stoi(args[1]);
  else if (!args.empty())
    return Usage();
  FakeSite site = FakeSite::Open(dir);
  for (const auto& d : site.Grow(days)) std::cout << "published " << arl::tools::ArchiveName(d) << "\n";
  return 0;
}

int Tickers(const std::string& dir, const std::vector<std::string>& args) {
  if (!args.empty()) return Usage();
  FakeSite site = FakeSite::Open(dir);
  for (const auto& ticker : site.DayOptions().tickers) std::cout << ticker << "\r\n";
  return std::cout.flush() ? 0 : 1;
}

// Every archive of the site answers late and comes in slowly.
void SlowArchives(arl::tools::SiteServer& server, const FakeSite& site, int delayMs) {
  arl::tools::Fault slow = arl::tools::Fault::Of(arl::tools::FaultKind::Slow);
  slow.delayMs = delayMs;
  slow.trickleMs = 10;
  for (int year = site.Options().firstYear; year <= site.NewestYear(); ++year)
    for (const auto& day : site.PublishedDays(year)) server.SetFault(FakeSite::ArchivePath(day), slow);
}

int Serve(const std::string& dir, const std::vector<std::string>& args) {
  std::string portFile;
  int slowMs = 0;
  if (args.size() % 2 != 0) return Usage();
  for (std::size_t i = 0; i < args.size(); i += 2) {
    if (args[i] == "--port-file")
      portFile = args[i + 1];
    else if (args[i] == "--slow")
      slowMs = std::stoi(args[i + 1]);
    else
      return Usage();
  }

  // Block the stop signals before the server's threads start, so they inherit the mask and only
  // sigwait below receives them.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

  arl::tools::SiteServer server(dir);
  server.Start();
  if (slowMs > 0) SlowArchives(server, FakeSite::Open(dir), slowMs);
  if (!portFile.empty()) {
    std::ofstream(portFile) << server.Port() << "\n";
  }
  std::cout << server.Url(FakeSite::kIndexPath) << std::endl;
  int signal = 0;
  sigwait(&stopSignals, &signal);
  server.Stop();
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return Usage();
  std::string command = argv[1];
  std::string dir = argv[2];
  std::vector<std::string> args(argv + 3, argv + argc);
  try {
    if (command == "generate") return Generate(dir, args);
    if (command == "grow") return Grow(dir, args);
    if (command == "serve") return Serve(dir, args);
    if (command == "tickers") return Tickers(dir, args);
  } catch (const std::exception& e) {
    std::cerr << "fake_site: " << e.what() << "\n";
    return 1;
  }
  return Usage();
}
