#pragma once
// A window under test: a fresh home, a scripted browser, message boxes answered by the test, and
// lookups of the controls by their names.
#include <QtTest/QtTest>
#include <functional>
#include <memory>
#include <vector>

#include "app/tform1.h"
#include "tests/common/fake_host.h"

namespace arl::test {

// A browser that reports busy for a number of polls after each navigation (or until released) and
// lets the test act at each navigation.
class ProbeBrowser : public FakeBrowser {
 public:
  void Navigate(const std::string& address) override {
    FakeBrowser::Navigate(address);
    pollsLeft = busyPolls;
    if (onNavigate) onNavigate(address);
  }
  bool Busy() override {
    if (busyForever && current == busyAddress) return true;
    if (pollsLeft > 0) {
      --pollsLeft;
      return true;
    }
    return false;
  }
  std::function<void(const std::string&)> onNavigate;
  int busyPolls = 0, pollsLeft = 0;
  bool busyForever = false;
  std::string busyAddress;
};

struct FormHarness {
  TempDir home;
  ProbeBrowser browser;
  FakeDownloader downloader;
  std::vector<BoxRequest> boxes;
  std::function<bool(const BoxRequest&)> answer;  // default: OK
  std::unique_ptr<TForm1> form;

  FormConfig Config() {
    FormConfig c;
    c.appDir = home.path();
    c.workArea = QRect(0, 0, 1920, 1040);
    c.currentDir = home.path() + "cwd";
    c.boxHook = [this](const BoxRequest& r) {
      boxes.push_back(r);
      return answer ? answer(r) : true;
    };
    return c;
  }
  TForm1& Make() { return Make(Config()); }
  TForm1& Make(FormConfig c) {
    form = std::make_unique<TForm1>(browser, downloader, std::move(c));
    // The browser wait sleeps 200 ms per poll; a few ms keep the tests quick.
    form->session().sleep = [](int ms) { QTest::qSleep(ms > 0 ? 5 : 0); };
    return *form;
  }
  template <typename W = QWidget>
  W* Get(const char* name) {
    W* w = form->findChild<W*>(QString::fromLatin1(name));
    if (!w) qFatal("no control named %s", name);
    return w;
  }
  std::string Log() const { return ReadFile(home / "autorateloom.log"); }
};

}  // namespace arl::test
