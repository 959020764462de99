#include "destination.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>

#include "report.h"
#include "support/durable_file.h"

namespace arl::plugin {

namespace {

std::string SystemText(int code) { return std::strerror(code); }

// Creates every missing level of a caller-given path; the caller's path is trusted, links and all.
void CreatePath(const std::string& path) {
  for (std::size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
    const std::string prefix = path.substr(0, slash);
    if (!prefix.empty()) ::mkdir(prefix.c_str(), 0777);
    if (slash == std::string::npos) break;
  }
}

std::atomic<unsigned> temp_counter{0};

}  // namespace

bool SplitEntryName(const std::string& name, std::vector<std::string>& parts, std::string& problem) {
  parts.clear();
  if (name.empty()) {
    problem = "entry without a name";
    return false;
  }
  if (name[0] == '/' || name[0] == '\\') {
    problem = "absolute path refused: " + name;
    return false;
  }
  std::string level;
  for (std::size_t i = 0; i <= name.size(); ++i) {
    if (i < name.size() && name[i] != '/' && name[i] != '\\') {
      level += name[i];
      continue;
    }
    if (level == "..") {
      problem = "path leading out of the destination refused: " + name;
      return false;
    }
    if (!level.empty() && level != ".") parts.push_back(level);
    level.clear();
  }
  return true;
}

Destination::Destination(const std::string& path) {
  const std::string dir = path.empty() ? "." : path;
  CreatePath(dir);
  root_ = UniqueFd(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!root_.Valid()) problem_ = "cannot open the output folder " + dir + ": " + SystemText(errno);
}

UniqueFd Destination::OpenFolder(const std::vector<std::string>& parts, std::string& problem) const {
  UniqueFd current(::dup(root_.Get()));
  for (const std::string& level : parts) {
    const int flags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
    int fd = ::openat(current.Get(), level.c_str(), flags);
    if (fd < 0 && errno == ENOENT && ::mkdirat(current.Get(), level.c_str(), 0777) == 0)
      fd = ::openat(current.Get(), level.c_str(), flags);
    if (fd < 0) {
      problem = "cannot open folder " + level + ": " + SystemText(errno);
      return UniqueFd();
    }
    current = UniqueFd(fd);
  }
  return current;
}

AtomicFile::~AtomicFile() {
  if (file_.Valid()) {
    file_.Reset();
    ::unlinkat(folder_, tempName_.c_str(), 0);
  }
}

bool AtomicFile::Open(std::string& problem) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    tempName_ =
        ".arl-" + Decimal(static_cast<std::uint64_t>(::getpid())) + "-" + Decimal(temp_counter++) + ".tmp";
    const int fd =
        ::openat(folder_, tempName_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd >= 0) {
      file_ = UniqueFd(fd);
      return true;
    }
    if (errno != EEXIST) break;
  }
  problem = "cannot create " + name_ + ": " + SystemText(errno);
  return false;
}

bool AtomicFile::Write(const void* data, std::size_t size, std::string& problem) {
  const char* bytes = static_cast<const char*>(data);
  while (size > 0) {
    const ssize_t n = ::write(file_.Get(), bytes, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      problem = "cannot write " + name_ + ": " + SystemText(n < 0 ? errno : ENOSPC);
      return false;
    }
    bytes += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

bool AtomicFile::Commit(std::time_t modified, std::string& problem) {
  if (modified != 0) {
    const struct timespec times[2] = {{0, UTIME_OMIT}, {modified, 0}};
    ::futimens(file_.Get(), times);
  }
  if (const int error = PutInPlaceAt(file_.Get(), folder_, tempName_, name_); error != 0) {
    problem = "cannot write " + name_ + ": " + SystemText(error);
    return false;  // the destructor removes the temporary file when it is still there
  }
  file_.Reset();
  return true;
}

bool NameExists(int folderFd, const std::string& name) {
  struct stat st;
  return ::fstatat(folderFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0;
}

}  // namespace arl::plugin
