#include "tests/common/fake_host.h"

namespace arl::test {

FakeSession::FakeSession(const std::vector<std::string>& tickers)
    : session(host, browser, downloader, Paths::ForAppDir(home.path())) {
  PrepareWorkingFolders(session.paths);
  std::string list;
  for (const auto& t : tickers) list += t + "\r\n";
  WriteFile(session.paths.AppDir + "CurrencyList.txt", list);
  session.formats = FormatSettings{};
}

void OnEveryCheck(Session& s, std::function<void(int)> act) {
  s.cancel.onCheck = [act = std::move(act), n = 0]() mutable { act(++n); };
}

void CancelAtCheck(Session& s, int n) {
  OnEveryCheck(s, [&s, n](int check) {
    if (check == n) s.cancel.Cancel();
  });
}

std::string FakeSession::LogText() const { return ReadFile(session.paths.LogPath); }

std::string WithoutSummary(const std::string& log) {
  std::string kept;
  enum { Outside, Counts, Failures } state = Outside;
  for (std::size_t at = 0; at < log.size();) {
    const std::size_t lf = log.find('\n', at);
    const std::size_t end = lf == std::string::npos ? log.size() : lf + 1;
    const std::string_view line(log.data() + at, end - at);
    at = end;
    if (line.starts_with("----- 今回の実行結果 -----")) {
      state = Counts;
      continue;
    }
    if (state == Counts) {
      if (line.starts_with("失敗 : ")) state = Failures;
      continue;
    }
    if (state == Failures && line.starts_with("× ")) continue;
    state = Outside;
    kept += line;
  }
  return kept;
}

}  // namespace arl::test
