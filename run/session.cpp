#include "run/session.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

#include "support/currency_list.h"
#include "support/disk_full.h"
#include "support/errors.h"
#include "support/fd_io.h"
#include "support/files.h"
#include "support/home_lock.h"

namespace arl {

Session::Session(Host& h, PageBrowser& b, Downloader& d, Paths p)
    : host(h), browser(b), downloader(d), paths(std::move(p)) {}

void Session::Sleep(int ms) {
  if (sleep) {
    sleep(ms);
  } else if (ms <= 0) {
    std::this_thread::yield();
  } else {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
  }
}

const RunOptions& Session::Options() {
  if (fixed_) return options_;
  const OptionValues now = host.Options();
  if (parsedFrom_ != now) {
    parsedFrom_.reset();
    options_ = ParseRunOptions(now);
    parsedFrom_ = now;
  }
  return options_;
}

void Session::FixOptions() {
  fixed_ = false;
  parsedFrom_.reset();
  options_ = ParseRunOptions(host.Options());
  fixed_ = true;
}

void Session::MessageBox(std::string_view text, std::string_view caption) {
  AddLog(text);
  host.MessageBoxOk(text, caption);
}

void Session::AddLog(std::string_view message) {
  LineList lines;
  SplitLines(message, lines);
  if (lines.empty()) lines.emplace_back();
  // The pane and the front end's own output get the message even when the file then fails (a full
  // disk): that is where the user looks for why.
  for (const auto& line : lines) {
    host.Memo1().Add(line);
    host.OnLogged(line);
  }

  // The log file is opened and closed for every message; it must exist (start-up creates it).
  int fd = ::open(paths.LogPath.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
  if (fd < 0)
    throw EInOutError("I/O error: cannot open the log file " + paths.LogPath + ": " + std::strerror(errno));
  std::string text;
  for (const auto& line : lines) text.append(line).append("\r\n");
  if (!WriteAll(fd, text.data(), text.size())) {
    const int error = errno;
    ::close(fd);
    ThrowIfDiskFull(paths.LogPath, error);
    throw EInOutError("I/O error: cannot write the log file " + paths.LogPath + ": " + std::strerror(error));
  }
  ::close(fd);
}

void PrepareWorkingFolders(const Paths& paths) {
  if (!DirectoryExists(paths.ArchiveDir)) CreateDir(paths.ArchiveDir);
  if (!DirectoryExists(paths.DataDir)) CreateDir(paths.DataDir);
  if (!FileExists(paths.LogPath)) {
    int fd = ::open(paths.LogPath.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    if (fd >= 0) ::close(fd);
  }
}

}  // namespace arl
