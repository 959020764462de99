#include "pack.h"

#include <archive.h>
#include <archive_entry.h>
#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <set>

#include "support/unique_fd.h"

namespace arl::plugin {

namespace {

struct Item {
  std::string diskPath;
  std::string entryName;  // folders end in "/"
  struct stat info;
};

// Gathers what the patterns name, in a stable order, without duplicates.
class Collector {
 public:
  explicit Collector(Report& report) : report_(report) {}

  void Pattern(const std::string& base, const std::string& pattern) {
    std::string name = pattern;
    while (!name.empty() && name[0] == '/') name.erase(0, 1);
    const std::size_t slash = name.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : name.substr(0, slash + 1);
    const std::string leaf = name.substr(folder.size());
    if (leaf.find_first_of("*?") == std::string::npos) {
      Add(base + pattern, name);
      return;
    }
    for (const std::string& child : Children(base + folder))
      if (::fnmatch(leaf.c_str(), child.c_str(), 0) == 0) Add(base + folder + child, folder + child);
  }

  std::vector<Item> items;
  std::set<std::string> names;

 private:
  std::vector<std::string> Children(const std::string& folder) {
    std::vector<std::string> children;
    DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (!dir) {
      report_.Problem("cannot list " + folder + ": " + std::strerror(errno));
      return children;
    }
    while (const dirent* e = ::readdir(dir))
      if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0)
        children.emplace_back(e->d_name);
    ::closedir(dir);
    std::sort(children.begin(), children.end());
    return children;
  }

  void Add(const std::string& diskPath, std::string entryName) {
    Item item{diskPath, "", {}};
    if (::lstat(diskPath.c_str(), &item.info) != 0) {
      report_.Problem("cannot find " + diskPath + ": " + std::strerror(errno));
      return;
    }
    if (entryName.empty() || entryName == ".." || entryName.rfind("../", 0) == 0 ||
        entryName.find("/../") != std::string::npos) {
      report_.Problem("cannot store a name outside the base folder: " + diskPath);
      return;
    }
    const bool folder = S_ISDIR(item.info.st_mode);
    if (!folder && !S_ISREG(item.info.st_mode)) return;  // links and special files are not stored
    if (folder && entryName.back() != '/') entryName += '/';
    item.entryName = entryName;
    if (names.insert(entryName).second) items.push_back(item);
    if (!folder) return;
    const std::string prefix = diskPath.back() == '/' ? diskPath : diskPath + "/";
    for (const std::string& child : Children(prefix)) Add(prefix + child, entryName + child);
  }

  Report& report_;
};

using WritePtr = std::unique_ptr<archive, decltype(&archive_write_free)>;
using ReadPtr = std::unique_ptr<archive, decltype(&archive_read_free)>;

std::string ArchiveText(archive* a) {
  const char* text = archive_error_string(a);
  return text ? text : "unknown archive problem";
}

bool CopyData(archive* out, const void* data, std::size_t size, Report& report) {
  if (size == 0 || archive_write_data(out, data, size) >= 0) return true;
  report.Problem(ArchiveText(out));
  return false;
}

// Keeps the entries of an earlier archive that no new entry replaces.
bool CopyOldEntries(const std::string& path, archive* out, const std::set<std::string>& replaced,
                    Report& report) {
  if (::access(path.c_str(), F_OK) != 0) return true;
  ReadPtr in(archive_read_new(), archive_read_free);
  archive_read_support_format_zip(in.get());
  if (archive_read_open_filename(in.get(), path.c_str(), 64 * 1024) != ARCHIVE_OK) {
    report.Problem("cannot read the existing archive " + path + ": " + ArchiveText(in.get()));
    return false;
  }
  archive_entry* entry = nullptr;
  int rc;
  while ((rc = archive_read_next_header(in.get(), &entry)) == ARCHIVE_OK || rc == ARCHIVE_WARN) {
    if (replaced.count(archive_entry_pathname(entry) ? archive_entry_pathname(entry) : "")) continue;
    if (archive_write_header(out, entry) < ARCHIVE_WARN) {
      report.Problem("cannot copy an existing entry: " + ArchiveText(out));
      return false;
    }
    const void* block;
    size_t size;
    la_int64_t offset;
    while ((rc = archive_read_data_block(in.get(), &block, &size, &offset)) == ARCHIVE_OK)
      if (!CopyData(out, block, size, report)) return false;
    if (rc != ARCHIVE_EOF) break;
  }
  if (rc == ARCHIVE_EOF) return true;
  report.Problem("cannot read the existing archive " + path + ": " + ArchiveText(in.get()));
  return false;
}

bool WriteItem(archive* out, const Item& item, Report& report) {
  std::unique_ptr<archive_entry, decltype(&archive_entry_free)> entry(archive_entry_new(),
                                                                      archive_entry_free);
  archive_entry_set_pathname(entry.get(), item.entryName.c_str());
  archive_entry_copy_stat(entry.get(), &item.info);
  if (S_ISDIR(item.info.st_mode)) archive_entry_set_size(entry.get(), 0);
  if (archive_write_header(out, entry.get()) < ARCHIVE_WARN) {
    report.Problem("cannot add " + item.diskPath + ": " + ArchiveText(out));
    return false;
  }
  if (!S_ISREG(item.info.st_mode)) return true;
  UniqueFd file(::open(item.diskPath.c_str(), O_RDONLY | O_CLOEXEC));
  if (!file.Valid()) {
    report.Problem("cannot read " + item.diskPath + ": " + std::strerror(errno));
    return false;
  }
  std::vector<char> buffer(64 * 1024);
  for (ssize_t n; (n = ::read(file.Get(), buffer.data(), buffer.size())) != 0;) {
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      report.Problem("cannot read " + item.diskPath + ": " + std::strerror(errno));
      return false;
    }
    if (!CopyData(out, buffer.data(), static_cast<std::size_t>(n), report)) return false;
  }
  return true;
}

}  // namespace

void PackArchive(const PackRequest& request, Report& report) {
  Collector collector(report);
  for (const std::string& pattern : request.patterns) collector.Pattern(request.baseDir, pattern);
  if (collector.items.empty() && !report.Failed()) report.Problem("nothing to add");
  if (report.Failed()) return;
  const std::string temp =
      request.archive + ".arl-" + Decimal(static_cast<std::uint64_t>(::getpid())) + ".tmp";
  WritePtr out(archive_write_new(), archive_write_free);
  archive_write_set_format_zip(out.get());
  if (archive_write_open_filename(out.get(), temp.c_str()) != ARCHIVE_OK) {
    report.Problem("cannot create " + request.archive + ": " + ArchiveText(out.get()));
    ::unlink(temp.c_str());
    return;
  }
  bool ok = CopyOldEntries(request.archive, out.get(), collector.names, report);
  std::uint64_t files = 0, folders = 0, bytes = 0;
  for (std::size_t i = 0; ok && i < collector.items.size(); ++i) {
    const Item& item = collector.items[i];
    ok = WriteItem(out.get(), item, report);
    S_ISDIR(item.info.st_mode) ? ++folders
                               : (++files, bytes += static_cast<std::uint64_t>(item.info.st_size));
  }
  if (archive_write_close(out.get()) != ARCHIVE_OK && ok) {
    report.Problem("cannot finish " + request.archive + ": " + ArchiveText(out.get()));
    ok = false;
  }
  if (ok && ::rename(temp.c_str(), request.archive.c_str()) != 0) {
    report.Problem("cannot replace " + request.archive + ": " + std::strerror(errno));
    ok = false;
  }
  if (!ok) {
    ::unlink(temp.c_str());
    return;
  }
  report.Count("Folders", folders);
  report.Count("Files", files);
  report.Count("Size", bytes);
}

}  // namespace arl::plugin
