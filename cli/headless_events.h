#pragma once
// HeadlessEvents: how a run without a window reports. Every logged line goes to `out` as it is
// logged; the run's progress (or, before it has any, its status) goes to `err` only when the line
// is wanted there (a terminal, no --quiet): one line, rewritten in place, cut to `columns()` when
// given, and lifted off before every log line and box, so lines never mix; message boxes are
// printed to `err` (nobody is there to answer them). A log line may come from the signal watcher's
// thread (the cancel request) while the run's thread shows a status: both take the same lock.
#include <cstdio>
#include <functional>
#include <mutex>
#include <string>

#include "cli/headless_settings.h"
#include "run/run_events.h"

namespace arl {

class HeadlessEvents : public RunEvents {
 public:
  HeadlessEvents(HeadlessSettings& settings, std::FILE* out, std::FILE* err, bool statusOnErr,
                 std::function<int()> columns = {});
  ~HeadlessEvents() override;

  // Takes the status line off the terminal (before the final error text, and at the end).
  void ClearStatusLine();

  void Logged(std::string_view line) override;
  void StatusChanged(std::string_view text) override;
  void MessageBoxOk(std::string_view text, std::string_view caption) override;
  void SaveSettings() override { settings_.Save(); }
  void Progressed(const RunProgress& progress) override;
  void BusyChanged(bool busy) override;

 private:
  void ClearStatusLineLocked();
  void DrawStatusLine();

  HeadlessSettings& settings_;
  std::FILE* out_;
  std::FILE* err_;
  bool statusOnErr_;
  std::function<int()> columns_;
  std::mutex mutex_;
  std::string status_;
  std::string progress_;  // the text of the run's last progress; "" outside the run's work
  bool statusShown_ = false;
};

}  // namespace arl
