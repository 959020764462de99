#pragma once
// UniqueFd: owns one file descriptor, move-only, and closes it exactly once on every path out of a
// scope. Close() reports what close() said (a writer that cares about a late write error asks for
// it); the destructor cannot and drops it. Header only: the archiver plugin uses it too.
#include <unistd.h>

#include <cerrno>
#include <utility>

namespace arl {

class UniqueFd {
 public:
  UniqueFd() = default;
  explicit UniqueFd(int fd) : fd_(fd) {}
  ~UniqueFd() { Reset(); }
  UniqueFd(UniqueFd&& other) noexcept : fd_(other.Release()) {}
  UniqueFd& operator=(UniqueFd&& other) noexcept {
    if (this != &other) {
      Reset();
      fd_ = other.Release();
    }
    return *this;
  }
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;

  int Get() const { return fd_; }
  bool Valid() const { return fd_ >= 0; }
  // Gives the descriptor up without closing it.
  int Release() { return std::exchange(fd_, -1); }
  void Reset() { Close(); }
  // Closes the descriptor; 0, or the errno of a close() that failed (the descriptor is gone anyway).
  int Close() {
    if (fd_ < 0) return 0;
    const int result = ::close(std::exchange(fd_, -1));
    return result == 0 ? 0 : errno;
  }

 private:
  int fd_ = -1;
};

}  // namespace arl
