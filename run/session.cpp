#include "run/session.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "support/currency_list.h"
#include "support/disk_full.h"
#include "support/errors.h"
#include "support/fd_io.h"
#include "support/files.h"
#include "support/home_lock.h"
#include "support/unique_fd.h"

namespace arl {

Session::Session(RunEvents& e, PageBrowser& b, Downloader& d, Paths p)
    : events(e), browser(b), downloader(d), paths(std::move(p)), progress(e) {}

void Session::SetCancelOpen(bool open) {
  std::lock_guard lock(cancelMutex_);
  cancelOpen_ = open;
}

bool Session::TakeCancel(const std::function<void()>& announce) {
  std::lock_guard lock(cancelMutex_);
  if (!cancelOpen_ || cancel.Cancelled()) return false;
  try {
    announce();
  } catch (...) {
    cancel.Cancel();
    throw;
  }
  cancel.Cancel();
  return true;
}

const RunOptions& Session::Options() {
  if (fixed_) return options_;
  if (parsedFrom_ != optionValues) {
    parsedFrom_.reset();
    options_ = ParseRunOptions(optionValues);
    parsedFrom_ = optionValues;
  }
  return options_;
}

void Session::FixOptions() {
  fixed_ = false;
  parsedFrom_.reset();
  options_ = ParseRunOptions(optionValues);
  fixed_ = true;
}

void Session::MessageBox(std::string_view text, std::string_view caption) {
  AddLog(text);
  events.MessageBoxOk(text, caption);
}

void Session::AddLog(std::string_view message) {
  LineList lines;
  SplitLines(message, lines);
  if (lines.empty()) lines.emplace_back();
  // The front end gets the message even when the file then fails (a full disk): that is where the
  // user looks for why. One message at a time, so that the pane and the file keep the same order.
  std::lock_guard lock(logMutex_);
  for (const auto& line : lines) events.Logged(line);

  // The log file is opened and closed for every message; it must exist (start-up creates it).
  const UniqueFd fd(::open(paths.LogPath.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC));
  if (!fd.Valid())
    throw EInOutError("I/O error: cannot open the log file " + paths.LogPath + ": " + std::strerror(errno));
  std::string text;
  for (const auto& line : lines) text.append(line).append("\r\n");
  if (!WriteAll(fd.Get(), text.data(), text.size())) {
    const int error = errno;
    ThrowIfDiskFull(paths.LogPath, error);
    throw EInOutError("I/O error: cannot write the log file " + paths.LogPath + ": " + std::strerror(error));
  }
}

void PrepareWorkingFolders(const Paths& paths) {
  if (!DirectoryExists(paths.ArchiveDir)) CreateDir(paths.ArchiveDir);
  if (!DirectoryExists(paths.DataDir)) CreateDir(paths.DataDir);
  if (!FileExists(paths.LogPath)) {
    const UniqueFd created(::open(paths.LogPath.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644));
  }
}

}  // namespace arl
