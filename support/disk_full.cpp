#include "support/disk_full.h"

#include <cerrno>
#include <cstring>

#include "support/files.h"

namespace arl {

EDiskFull::EDiskFull(const std::string& folder, int error)
    : EInOutError("ディスクがいっぱいです。" + folder + " に書き込めませんでした (" + std::strerror(error) +
                  ")\r\n空きを作ってから再度実行してください。続きから再開します"),
      folder_(folder) {}

void ThrowIfDiskFull(const std::string& path, int error) {
  if (error == ENOSPC || error == EDQUOT) {
    const std::string folder = DirectoryOf(path);
    throw EDiskFull(folder.empty() ? "./" : folder, error);
  }
}

}  // namespace arl
