#pragma once
// A window under test: a fresh home, a scripted browser, message boxes answered by the test, and
// lookups of the controls by their names. A run goes on its own thread, so what the browser's hooks
// do to the window they hand to the window's thread (OnWindowThread).
#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QtTest/QtTest>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "app/tform1.h"
#include "tests/common/cancel_wait.h"
#include "tests/common/fake_host.h"

namespace arl::test {

// A browser whose page waits last `waitMs` after each navigation (a page at `busyAddress` with
// `busyForever`: until the run is cancelled) and that lets the test act at each navigation (on the
// navigating thread). A wait cut short by a cancel is counted.
class ProbeBrowser : public FakeBrowser {
 public:
  void Navigate(const std::string& address) override {
    FakeBrowser::Navigate(address);
    if (onNavigate) onNavigate(address);
  }
  void Wait(const CancelToken& cancel) override {
    FakeBrowser::Wait(cancel);
    const bool endless = busyForever && current == busyAddress;
    if (!endless && waitMs <= 0) return;
    const auto limit =
        endless ? std::chrono::milliseconds(std::chrono::hours(24)) : std::chrono::milliseconds(waitMs);
    if (WaitForCancel(cancel, limit)) ++waitsCut;
  }
  std::function<void(const std::string&)> onNavigate;
  int waitMs = 0;
  bool busyForever = false;
  std::string busyAddress;
  std::atomic<int> waitsCut{0};
};

// Runs `work` on the window's thread and returns when it has run. From the run's thread it queues
// behind what the run reported before, so the window shows all of that by then.
inline void OnWindowThread(QObject& window, const std::function<void()>& work) {
  if (QThread::currentThread() == window.thread())
    work();
  else
    QMetaObject::invokeMethod(&window, work, Qt::BlockingQueuedConnection);
}

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
  TForm1& Make(FormConfig c) { return Make(std::move(c), browser, downloader); }
  // A window over another browser and downloader, which must outlive it.
  TForm1& Make(FormConfig c, PageBrowser& pages, Downloader& files) {
    form = std::make_unique<TForm1>(pages, files, std::move(c));
    return *form;
  }
  // Starts a run (by default as 実行 does) and returns once it has ended and the window is idle
  // again; false when it did not end in time.
  bool RunToItsEnd(const std::function<void()>& start = {}) {
    QSignalSpy ended(form.get(), &TForm1::RunEnded);
    runStarted.start();
    start ? start() : form->Button1Click();
    return !ended.isEmpty() || ended.wait(10000);  // `start` may have served the run's end already
  }
  template <typename W = QWidget>
  W* Get(const char* name) {
    W* w = form->findChild<W*>(QString::fromLatin1(name));
    if (!w) qFatal("no control named %s", name);
    return w;
  }
  std::string Log() const { return ReadFile(home / "autorateloom.log"); }
  // Returns once a click on 中止 counts: a double-click's time after RunToItsEnd started the run.
  void PastDoubleClick() const {
    QTest::qWait(static_cast<int>(
        std::max<qint64>(0, QApplication::doubleClickInterval() + 20 - runStarted.elapsed())));
  }
  QElapsedTimer runStarted;
};

}  // namespace arl::test
