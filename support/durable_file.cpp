// The errno-level steps of a durable replacement; no exceptions and nothing else of the core, since
// the archiver plugin builds this file into itself.
#include "support/durable_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace arl {

namespace {

// The folder that holds `name` as given to renameat: "." for a bare name.
std::string FolderOf(const std::string& name) {
  const std::size_t slash = name.rfind('/');
  return slash == std::string::npos ? "." : name.substr(0, slash + 1);
}

}  // namespace

int SyncFolder(const std::string& folder) {
  const UniqueFd fd(::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!fd.Valid()) return errno;
  return ::fsync(fd.Get()) == 0 ? 0 : errno;
}

int PutInPlaceAt(int fileFd, int folderFd, const std::string& tempName, const std::string& name) {
  if (::fsync(fileFd) != 0) return errno;
  if (::renameat(folderFd, tempName.c_str(), folderFd, name.c_str()) != 0) return errno;
  if (folderFd == AT_FDCWD) return SyncFolder(FolderOf(name));
  return ::fsync(folderFd) == 0 ? 0 : errno;
}

}  // namespace arl
