#include "cli/headless_host.h"

#include <exception>

#include "cli/stop_signals.h"
#include "run/run_control.h"

namespace arl {

HeadlessHost::HeadlessHost(HeadlessSettings& settings, std::FILE* out, std::FILE* err, bool statusOnErr)
    : stopRequested([] { return StopSignals::Take(); }),
      settings_(settings),
      out_(out),
      err_(err),
      statusOnErr_(statusOnErr) {}

HeadlessHost::~HeadlessHost() { ClearStatusLine(); }

void HeadlessHost::ClearStatusLine() {
  if (!statusShown_) return;
  std::fputs("\r\033[K", err_);
  std::fflush(err_);
  statusShown_ = false;
}

void HeadlessHost::DrawStatusLine() {
  if (!statusOnErr_ || status_.empty()) return;
  std::fputs("\r\033[K", err_);
  std::fwrite(status_.data(), 1, status_.size(), err_);
  std::fflush(err_);
  statusShown_ = true;
}

void HeadlessHost::OnLogged(std::string_view line) {
  // The status line shares the terminal: lift it off, print the log line, put it back.
  bool hadStatus = statusShown_;
  ClearStatusLine();
  std::fwrite(line.data(), 1, line.size(), out_);
  std::fputc('\n', out_);
  std::fflush(out_);
  if (hadStatus) DrawStatusLine();
}

void HeadlessHost::SetStatus(std::string_view text) {
  status_ = text;
  DrawStatusLine();
}

void HeadlessHost::Pump() {
  if (!goOn_ || !stopRequested || !stopRequested()) return;
  cancelTaken_ = true;
  if (!session_) {
    goOn_ = false;
    return;
  }
  try {
    ConfirmedCancel(*session_);
  } catch (const std::exception& e) {
    ClearStatusLine();
    std::fprintf(err_, "%s\n", e.what());
    std::fflush(err_);
  }
}

void HeadlessHost::MessageBoxOk(std::string_view text, std::string_view caption) {
  ClearStatusLine();
  std::fprintf(err_, "[%.*s]\n%.*s\n", static_cast<int>(caption.size()), caption.data(),
               static_cast<int>(text.size()), text.data());
  std::fflush(err_);
}

bool HeadlessHost::ConfirmOkCancel(std::string_view text, std::string_view caption) {
  MessageBoxOk(text, caption);
  std::fputs("-> OK\n", err_);
  std::fflush(err_);
  return true;
}

void HeadlessHost::EnterBusyUi() {
  SetStatus("処理中");
  Pump();
}

void HeadlessHost::LeaveBusyUi() {
  // No stop request is taken here: the run is over, a late signal changes nothing of it.
  goOn_ = true;
}

}  // namespace arl
