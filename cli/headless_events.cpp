#include "cli/headless_events.h"

namespace arl {

HeadlessEvents::HeadlessEvents(HeadlessSettings& settings, std::FILE* out, std::FILE* err, bool statusOnErr)
    : settings_(settings), out_(out), err_(err), statusOnErr_(statusOnErr) {}

HeadlessEvents::~HeadlessEvents() { ClearStatusLine(); }

void HeadlessEvents::ClearStatusLine() {
  std::lock_guard lock(mutex_);
  ClearStatusLineLocked();
}

void HeadlessEvents::ClearStatusLineLocked() {
  if (!statusShown_) return;
  std::fputs("\r\033[K", err_);
  std::fflush(err_);
  statusShown_ = false;
}

void HeadlessEvents::DrawStatusLine() {
  if (!statusOnErr_ || status_.empty()) return;
  std::fputs("\r\033[K", err_);
  std::fwrite(status_.data(), 1, status_.size(), err_);
  std::fflush(err_);
  statusShown_ = true;
}

void HeadlessEvents::Logged(std::string_view line) {
  std::lock_guard lock(mutex_);
  // The status line shares the terminal: lift it off, print the log line, put it back.
  const bool hadStatus = statusShown_;
  ClearStatusLineLocked();
  std::fwrite(line.data(), 1, line.size(), out_);
  std::fputc('\n', out_);
  std::fflush(out_);
  if (hadStatus) DrawStatusLine();
}

void HeadlessEvents::StatusChanged(std::string_view text) {
  std::lock_guard lock(mutex_);
  status_ = text;
  DrawStatusLine();
}

void HeadlessEvents::MessageBoxOk(std::string_view text, std::string_view caption) {
  std::lock_guard lock(mutex_);
  ClearStatusLineLocked();
  std::fprintf(err_, "[%.*s]\n%.*s\n", static_cast<int>(caption.size()), caption.data(),
               static_cast<int>(text.size()), text.data());
  std::fflush(err_);
}

}  // namespace arl
