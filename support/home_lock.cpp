#include "support/home_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "support/disk_full.h"
#include "support/fd_io.h"

namespace arl {

namespace {

// The process id the holder wrote, or "?" while it has not written it yet.
std::string HolderOf(int fd) {
  char text[32] = {};
  const std::int64_t got = ReadAt(fd, text, sizeof text - 1, 0);
  std::string pid = got > 0 ? std::string(text, static_cast<std::size_t>(got)) : std::string();
  while (!pid.empty() && (pid.back() == '\n' || pid.back() == '\r')) pid.pop_back();
  return pid.empty() ? "?" : pid;
}

}  // namespace

HomeLock::HomeLock(const std::string& lockPath, const std::string& home) {
  fd_ = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
  if (fd_ < 0) {
    const int error = errno;
    ThrowIfDiskFull(lockPath, error);
    throw EInOutError("ロックファイル " + lockPath + " を開けませんでした (" + std::strerror(error) + ")");
  }
  int rc;
  do {
    rc = ::flock(fd_, LOCK_EX | LOCK_NB);
  } while (rc != 0 && errno == EINTR);
  if (rc != 0) {
    const std::string holder = HolderOf(fd_);
    ::close(fd_);
    fd_ = -1;
    throw EHomeBusy("別の実行 (プロセスID " + holder + ") が " + home +
                    " を使用中なので、実行しませんでした。終わってから実行してください");
  }
  const std::string pid = std::to_string(::getpid()) + "\n";
  if (::ftruncate(fd_, 0) == 0) WriteAllAt(fd_, pid.data(), pid.size(), 0);  // only for the message
}

HomeLock::~HomeLock() {
  if (fd_ < 0) return;
  if (::ftruncate(fd_, 0) != 0) {
    // The id stays; the lock goes with the descriptor all the same.
  }
  ::close(fd_);
}

}  // namespace arl
