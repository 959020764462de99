#include "support/disk_full.h"

#include <cerrno>
#include <cstring>

namespace arl {

EDiskFull::EDiskFull(const std::string& folder, int error)
    : EInOutError("ディスクがいっぱいです。" + folder + " に書き込めませんでした (" + std::strerror(error) +
                  ")\r\n空きを作ってから再度実行してください。続きから再開します"),
      folder_(folder) {}

bool IsDiskFull(int error) { return error == ENOSPC || error == EDQUOT; }

void ThrowIfDiskFull(const std::string& path, int error) {
  if (IsDiskFull(error)) throw EDiskFull(FolderOf(path), error);
}

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1);
}

}  // namespace arl
