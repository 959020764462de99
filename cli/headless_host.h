#pragma once
// HeadlessHost: the host of a run without a window. Every logged line goes to `out` as it is
// logged; status changes go to `err` only when it is a terminal (one line, rewritten in place);
// message boxes are printed to `err` and answered with their default, OK. A stop request (SIGINT or
// SIGTERM, read through `stopRequested`) is taken at the next Pump as a confirmed cancel. Nothing here
// throws out of Pump: the downloader calls it from inside transfers, so a failed log write during
// the cancel is reported on `err` and the cancel still stands.
#include <cstdio>
#include <functional>
#include <string>

#include "cli/headless_settings.h"
#include "run/host.h"
#include "run/session.h"

namespace arl {

// An in-memory list pane: the log pane and the scratch pane of the run.
class LinePane : public Pane {
 public:
  void Clear() override { lines_.clear(); }
  void Add(std::string_view line) override { lines_.emplace_back(line); }
  LineList Lines() const override { return lines_; }
  void SetLines(const LineList& lines) override { lines_ = lines; }

 private:
  LineList lines_;
};

class HeadlessHost : public Host {
 public:
  HeadlessHost(HeadlessSettings& settings, std::FILE* out, std::FILE* err, bool statusOnErr);
  ~HeadlessHost() override;

  void Attach(Session& session) { session_ = &session; }
  // Polled at every Pump; true once means "cancel now". Defaults to the stop signals.
  std::function<bool()> stopRequested;
  bool CancelTaken() const { return cancelTaken_; }
  // Takes the status line off the terminal (before the final error text, and at the end).
  void ClearStatusLine();

  Pane& Memo1() override { return memo1_; }
  Pane& Memo2() override { return memo2_; }
  void OnLogged(std::string_view line) override;
  void SetStatus(std::string_view text) override;
  void Pump() override;
  bool GoOn() const override { return goOn_; }
  void SetGoOn(bool goOn) override { goOn_ = goOn; }
  void MessageBoxOk(std::string_view text, std::string_view caption) override;
  bool ConfirmOkCancel(std::string_view text, std::string_view caption) override;
  OptionValues Options() const override { return settings_.Options(); }
  void SaveSettings() override { settings_.Save(); }
  void EnterBusyUi() override;
  void LeaveBusyUi() override;

 private:
  void DrawStatusLine();

  HeadlessSettings& settings_;
  std::FILE* out_;
  std::FILE* err_;
  bool statusOnErr_;
  Session* session_ = nullptr;
  LinePane memo1_, memo2_;
  std::string status_;
  bool statusShown_ = false;
  bool goOn_ = true;
  bool cancelTaken_ = false;
};

}  // namespace arl
