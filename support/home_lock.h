#pragma once
// HomeLock: one run per home. A run holds an exclusive lock (flock) on a file in its home for its
// whole length, so that a timer's run and the window's, or two timers, never write the same year
// files at once. The kernel drops the lock when the process ends, however it ends, so a killed run
// leaves no stale lock behind. The holder writes its process id into the file for the message that
// a refused run shows, and empties it again when it lets go.
#include <string>

#include "support/errors.h"

namespace arl {

inline constexpr char kLockFileName[] = "autorateloom.lock";

// Another run holds the home; what() says so, with its process id.
class EHomeBusy : public Exception {
 public:
  using Exception::Exception;
};

class HomeLock {
 public:
  // Takes the lock on `lockPath` (created when missing) for the home `home`. Raises EHomeBusy when
  // another run holds it, EInOutError when the file cannot be opened.
  HomeLock(const std::string& lockPath, const std::string& home);
  ~HomeLock();
  HomeLock(const HomeLock&) = delete;
  HomeLock& operator=(const HomeLock&) = delete;

 private:
  int fd_ = -1;
};

}  // namespace arl
