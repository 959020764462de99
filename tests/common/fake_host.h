#pragma once
// FakeHost: a scripted host for tests. Panes are plain line lists, the status line and every message
// box are recorded, box answers are scripted, and hooks let a test act at a given pump (for example
// clear the go-on flag after the n-th pump to cancel at a chosen point).
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "acquire/downloader.h"
#include "acquire/page_browser.h"
#include "run/host.h"
#include "run/session.h"
#include "tests/common/temp_dir.h"

namespace arl::test {

class ListPane : public Pane {
 public:
  void Clear() override { lines.clear(); }
  void Add(std::string_view line) override { lines.emplace_back(line); }
  LineList Lines() const override { return lines; }
  void SetLines(const LineList& l) override { lines = l; }
  LineList lines;
};

class FakeHost : public Host {
 public:
  Pane& Memo1() override { return memo1; }
  Pane& Memo2() override { return memo2; }
  void OnLogged(std::string_view line) override { logged.emplace_back(line); }
  void SetStatus(std::string_view text) override {
    status = text;
    statuses.emplace_back(text);
  }
  void Pump() override {
    ++pumps;
    if (onPump) onPump(pumps);
  }
  bool GoOn() const override { return goOn; }
  void SetGoOn(bool g) override { goOn = g; }
  void MessageBoxOk(std::string_view text, std::string_view caption) override {
    messageBoxes.emplace_back(text);
    captions.emplace_back(caption);
  }
  bool ConfirmOkCancel(std::string_view text, std::string_view caption) override {
    messageBoxes.emplace_back(text);
    captions.emplace_back(caption);
    if (confirmAnswers.empty()) return true;
    bool a = confirmAnswers.front();
    confirmAnswers.pop_front();
    return a;
  }
  OptionValues Options() const override { return options; }
  void SaveSettings() override { ++saves; }
  void EnterBusyUi() override {
    busy = true;
    SetStatus("処理中");
  }
  void LeaveBusyUi() override {
    busy = false;
    goOn = true;
  }
  void RequestClose() override { closeRequested = true; }

  // Cancels (clears the go-on flag) at the n-th pump from now.
  void CancelAtPump(int n) {
    int target = pumps + n;
    onPump = [this, target](int p) {
      if (p >= target) goOn = false;
    };
  }

  ListPane memo1, memo2;
  std::vector<std::string> logged, statuses, messageBoxes, captions;
  std::string status;
  std::deque<bool> confirmAnswers;  // answers of ConfirmOkCancel; OK when empty
  OptionValues options;
  std::function<void(int)> onPump;
  int pumps = 0, saves = 0;
  bool goOn = true, busy = false, closeRequested = false;
};

// A browser serving fixed pages from memory: address -> list of absolute anchor targets; an address
// in `failing` fails to load, with no anchors.
class FakeBrowser : public PageBrowser {
 public:
  void Navigate(const std::string& address) override {
    current = address;
    navigations.push_back(address);
  }
  bool Busy() override { return false; }
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
};

// A downloader that copies from a map of address -> file content, or fails when the address is
// missing or scripted to fail.
class FakeDownloader : public Downloader {
 public:
  bool Download(const std::string& url, const std::string& target,
                const std::function<void()>& pump) override {
    attempts.push_back(url);
    if (pump) pump();
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
};

// A session over a FakeHost in a fresh home directory, with the working folders and log prepared and
// CurrencyList.txt written from `tickers`. Sleeps are skipped.
struct FakeSession {
  explicit FakeSession(const std::vector<std::string>& tickers = {"EURUSD", "USDJPY"});
  TempDir home;
  FakeHost host;
  FakeBrowser browser;
  FakeDownloader downloader;
  Session session;
  std::string LogText() const;  // the whole log file
};

// A log text (lines ending in CR LF) without the summary that ends every run, for tests of what
// comes around it.
std::string WithoutSummary(const std::string& log);

}  // namespace arl::test
