#include "cli/headless_events.h"

#include "cli/progress_line.h"

namespace arl {

HeadlessEvents::HeadlessEvents(HeadlessSettings& settings, std::FILE* out, std::FILE* err, bool statusOnErr,
                               std::function<int()> columns)
    : settings_(settings), out_(out), err_(err), statusOnErr_(statusOnErr), columns_(std::move(columns)) {}

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
  if (!statusOnErr_) return;
  const std::string line = ProgressLineText(progress_, status_, columns_ ? columns_() : 0);
  if (line.empty()) return;
  std::fputs("\r\033[K", err_);
  std::fwrite(line.data(), 1, line.size(), err_);
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

void HeadlessEvents::Progressed(const RunProgress& progress) {
  if (!statusOnErr_) return;  // the text is not even made for a pipe
  std::lock_guard lock(mutex_);
  progress_ = ProgressText(progress);
  DrawStatusLine();
}

// After the run's work only its closing status is left to show.
void HeadlessEvents::BusyChanged(bool busy) {
  if (busy) return;
  std::lock_guard lock(mutex_);
  progress_.clear();
}

void HeadlessEvents::MessageBoxOk(std::string_view text, std::string_view caption) {
  std::lock_guard lock(mutex_);
  ClearStatusLineLocked();
  std::fprintf(err_, "[%.*s]\n%.*s\n", static_cast<int>(caption.size()), caption.data(),
               static_cast<int>(text.size()), text.data());
  std::fflush(err_);
}

}  // namespace arl
