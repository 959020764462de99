// The raising forms of the durable replacement, for the core's writers.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "support/disk_full.h"
#include "support/durable_file.h"
#include "support/errors.h"
#include "support/fd_io.h"

namespace arl {

namespace {

[[noreturn]] void Fail(const char* what, const std::string& path, int error) {
  ThrowIfDiskFull(path, error);
  throw EInOutError(std::string(what) + " \"" + path + "\": " + std::strerror(error));
}

}  // namespace

void ReplaceFile(UniqueFd& file, const std::string& tempPath, const std::string& path) {
  int error = PutInPlaceAt(file.Get(), AT_FDCWD, tempPath, path);
  const int closeError = file.Close();
  if (error == 0) error = closeError;
  if (error != 0) {
    ::unlink(tempPath.c_str());
    Fail("Cannot write file", path, error);
  }
}

void WriteFileAtomically(const std::string& path, std::string_view content) {
  const std::string temp = path + ".tmp";
  UniqueFd fd(::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0666));
  if (!fd.Valid()) Fail("Cannot create file", temp, errno);
  struct stat existing;
  if (::stat(path.c_str(), &existing) == 0) ::fchmod(fd.Get(), existing.st_mode & 07777);  // keep its mode
  if (!WriteAll(fd.Get(), content.data(), content.size())) {
    const int error = errno;
    fd.Reset();
    ::unlink(temp.c_str());
    Fail("Cannot write file", path, error);
  }
  ReplaceFile(fd, temp, path);
}

void SyncWritten(const UniqueFd& file, const std::string& path) {
  if (::fsync(file.Get()) != 0) Fail("Cannot write file", path, errno);
}

void SyncFileSystemOf(const std::string& folder) {
  const UniqueFd fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!fd.Valid() || ::syncfs(fd.Get()) != 0) Fail("Cannot write file", folder, errno);
}

}  // namespace arl
