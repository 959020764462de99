#pragma once
// A full disk is told apart from other write failures: it ends the run at once, since every further
// download or write would fail the same way, and the advice for it is to make room, not to delete
// the archive. Every writer of the program passes its failures through ThrowIfDiskFull first.
#include <string>

#include "support/errors.h"

namespace arl {

class EDiskFull : public EInOutError {
 public:
  // `folder`: where the write went; `error`: ENOSPC or EDQUOT.
  EDiskFull(const std::string& folder, int error);
  const std::string& Folder() const { return folder_; }

 private:
  std::string folder_;
};

// Raises EDiskFull when `error`, the errno of a failed write of `path`, says the disk is full;
// otherwise returns, and the caller raises its own error.
void ThrowIfDiskFull(const std::string& path, int error);

}  // namespace arl
