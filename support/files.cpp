#include "support/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>

#include "support/errors.h"

namespace arl {

std::string DirectoryOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string ExecutableDir() {
  char buffer[PATH_MAX];
  ssize_t got = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (got <= 0) return "./";
  std::string path(buffer, static_cast<std::size_t>(got));
  return path.substr(0, path.rfind('/') + 1);
}

namespace {

bool IsRegularFile(const std::string& directory, const dirent* entry) {
  if (entry->d_type == DT_REG) return true;
  if (entry->d_type != DT_UNKNOWN && entry->d_type != DT_LNK) return false;
  struct stat info;
  return ::stat((directory + entry->d_name).c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool HasTxtExtension(const char* name) {
  const char* dot = std::strrchr(name, '.');
  return dot != nullptr && std::strcmp(dot, ".txt") == 0;
}

}  // namespace

LineList& ListFiles(std::string directory, LineList& list) {
  list.clear();
  if (directory.empty() || directory.back() != '/') directory += '/';
  DIR* dir = ::opendir(directory.c_str());
  if (dir == nullptr) return list;
  while (const dirent* entry = ::readdir(dir)) {
    if (HasTxtExtension(entry->d_name) && IsRegularFile(directory, entry)) list.emplace_back(entry->d_name);
  }
  ::closedir(dir);
  SortCaseInsensitive(list);
  return list;
}

std::int64_t FileSizeByName(const std::string& path) {
  struct stat info;
  if (::stat(path.c_str(), &info) != 0 || S_ISDIR(info.st_mode)) return 0;
  return static_cast<std::int64_t>(info.st_size);
}

bool FileExists(const std::string& path) {
  struct stat info;
  return ::stat(path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

bool DirectoryExists(const std::string& path) {
  struct stat info;
  return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool CreateDir(const std::string& path) { return ::mkdir(path.c_str(), 0777) == 0; }

bool DeleteFile(const std::string& path) { return ::unlink(path.c_str()) == 0; }

bool RenameFile(const std::string& from, const std::string& to) {
  return ::rename(from.c_str(), to.c_str()) == 0;
}

}  // namespace arl
