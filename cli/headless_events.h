#pragma once
// HeadlessEvents: how a run without a window reports. Every logged line goes to `out` as it is
// logged; status changes go to `err` only when it is a terminal (one line, rewritten in place);
// message boxes are printed to `err` (nobody is there to answer them). A log line may come from the
// signal watcher's thread (the cancel request) while the run's thread shows a status: both take
// the same lock.
#include <cstdio>
#include <mutex>
#include <string>

#include "cli/headless_settings.h"
#include "run/run_events.h"

namespace arl {

class HeadlessEvents : public RunEvents {
 public:
  HeadlessEvents(HeadlessSettings& settings, std::FILE* out, std::FILE* err, bool statusOnErr);
  ~HeadlessEvents() override;

  // Takes the status line off the terminal (before the final error text, and at the end).
  void ClearStatusLine();

  void Logged(std::string_view line) override;
  void StatusChanged(std::string_view text) override;
  void MessageBoxOk(std::string_view text, std::string_view caption) override;
  void SaveSettings() override { settings_.Save(); }

 private:
  void ClearStatusLineLocked();
  void DrawStatusLine();

  HeadlessSettings& settings_;
  std::FILE* out_;
  std::FILE* err_;
  bool statusOnErr_;
  std::mutex mutex_;
  std::string status_;
  bool statusShown_ = false;
};

}  // namespace arl
