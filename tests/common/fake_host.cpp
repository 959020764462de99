#include "tests/common/fake_host.h"

namespace arl::test {

FakeSession::FakeSession(const std::vector<std::string>& tickers)
    : session(host, browser, downloader, Paths::ForAppDir(home.path())) {
  PrepareWorkingFolders(session.paths);
  std::string list;
  for (const auto& t : tickers) list += t + "\r\n";
  WriteFile(session.paths.AppDir + "CurrencyList.txt", list);
  session.sleep = [](int) {};
  session.formats = FormatSettings{};
}

std::string FakeSession::LogText() const { return ReadFile(session.paths.LogPath); }

}  // namespace arl::test
