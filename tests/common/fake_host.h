#pragma once
// Fakes for tests of a run: recorded events, a browser serving pages from memory, a downloader
// copying from memory, a session over them in a fresh home, and hooks that act at the n-th read of
// the cancel token (to cancel at a chosen point).
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "acquire/downloader.h"
#include "acquire/page_browser.h"
#include "run/run_events.h"
#include "run/session.h"
#include "tests/common/temp_dir.h"

namespace arl::test {

// FakeEvents: what a run reported, recorded: the log lines, the two panes as the window would show
// them, the status line, every message box, the busy state, the settings saves and the progress.
class FakeEvents : public RunEvents {
 public:
  void Logged(std::string_view line) override {
    logged.emplace_back(line);
    logPane.emplace_back(line);
  }
  void StatusChanged(std::string_view text) override {
    status = text;
    statuses.emplace_back(text);
    if (onStatus) onStatus(text);
  }
  void ListShown(ListPane pane, const LineList& lines) override {
    (pane == ListPane::Log ? logPane : linksPane) = lines;
  }
  void BusyChanged(bool b) override { busy = b; }
  void MessageBoxOk(std::string_view text, std::string_view caption) override {
    messageBoxes.emplace_back(text);
    captions.emplace_back(caption);
  }
  void SaveSettings() override { ++saves; }
  void Progressed(const RunProgress& p) override { progress.push_back(p); }

  LineList logPane, linksPane;
  std::vector<RunProgress> progress;
  std::vector<std::string> logged, statuses, messageBoxes, captions;
  std::string status;
  std::function<void(std::string_view)> onStatus;  // called with every status shown
  int saves = 0;
  bool busy = false;
};

// Calls `act(n)` at the n-th read of the session's cancel token from now on (n counts from 1).
void OnEveryCheck(Session& s, std::function<void(int)> act);
// Cancels the run at the n-th read of its cancel token from now on.
void CancelAtCheck(Session& s, int n);

// A browser serving fixed pages from memory: address -> list of absolute anchor targets; an address
// in `failing` fails to load, with no anchors.
class FakeBrowser : public PageBrowser {
 public:
  void Navigate(const std::string& address) override {
    current = address;
    navigations.push_back(address);
  }
  void Wait(const CancelToken&) override {
    if (onWait) onWait();
  }
  int AnchorCount() override { return failing.count(current) ? 0 : static_cast<int>(pages[current].size()); }
  std::string AnchorTarget(int i) override { return pages[current].at(static_cast<std::size_t>(i)); }
  std::string LoadError() const override {
    auto it = failing.find(current);
    return it == failing.end() ? std::string() : it->second;
  }
  std::map<std::string, std::vector<std::string>> pages;
  std::map<std::string, std::string> failing;  // address -> why its load fails
  std::string current;
  std::vector<std::string> navigations;
  std::function<void()> onWait;  // called at every wait for a page
};

// A downloader that copies from a map of address -> file content, or fails when the address is
// missing or scripted to fail.
class FakeDownloader : public Downloader {
 public:
  bool Download(const std::string& url, const std::string& target) override {
    attempts.push_back(url);
    if (onDownload) onDownload(url);
    auto f = failuresLeft.find(url);
    if (f != failuresLeft.end() && f->second != 0) {
      if (f->second > 0) --f->second;
      return false;
    }
    auto it = files.find(url);
    if (it == files.end()) return false;
    WriteFile(target, it->second);
    return true;
  }
  std::map<std::string, std::string> files;
  std::map<std::string, int> failuresLeft;  // -1: always fails
  std::vector<std::string> attempts;
  std::function<void(const std::string&)> onDownload;  // called as each attempt starts
};

// A session over FakeEvents in a fresh home directory, with the working folders and log prepared and
// CurrencyList.txt written from `tickers`.
struct FakeSession {
  explicit FakeSession(const std::vector<std::string>& tickers = {"EURUSD", "USDJPY"});
  TempDir home;
  FakeEvents host;
  FakeBrowser browser;
  FakeDownloader downloader;
  Session session;
  std::string LogText() const;  // the whole log file
};

// A log text (lines ending in CR LF) without the summary that ends every run, for tests of what
// comes around it.
std::string WithoutSummary(const std::string& log);

}  // namespace arl::test
