#pragma once
// Zips with exactly the entries a test asks for, hostile ones included (links, absolute names,
// "..", a bomb of zeros), and a snapshot of a folder tree to prove that nothing else changed.
#include <archive.h>
#include <archive_entry.h>

#include <filesystem>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "tests/common/temp_dir.h"

namespace arl::test {

struct ZipItem {
  ZipItem(std::string n, std::string c, mode_t t = AE_IFREG, std::string link = "")
      : name(std::move(n)), content(std::move(c)), type(t), linkTarget(std::move(link)) {}
  std::string name;
  std::string content;
  mode_t type;
  std::string linkTarget;  // for AE_IFLNK
};

// The bytes of a deflated zip holding `items` in order; "" when libarchive refuses one of them.
inline std::string HostileZip(const std::vector<ZipItem>& items) {
  std::vector<char> buffer(8 << 20);
  std::size_t used = 0;
  archive* a = archive_write_new();
  archive_write_set_format_zip(a);
  archive_write_zip_set_compression_deflate(a);
  bool ok = archive_write_open_memory(a, buffer.data(), buffer.size(), &used) == ARCHIVE_OK;
  for (const ZipItem& item : items) {
    if (!ok) break;
    archive_entry* entry = archive_entry_new();
    archive_entry_set_pathname(entry, item.name.c_str());
    archive_entry_set_filetype(entry, item.type);
    archive_entry_set_perm(entry, 0644);
    archive_entry_set_size(entry, static_cast<la_int64_t>(item.content.size()));
    if (item.type == AE_IFLNK) archive_entry_set_symlink(entry, item.linkTarget.c_str());
    ok = archive_write_header(a, entry) == ARCHIVE_OK;
    if (ok && !item.content.empty()) {
      ok = archive_write_data(a, item.content.data(), item.content.size()) ==
           static_cast<la_ssize_t>(item.content.size());
    }
    archive_entry_free(entry);
  }
  ok = archive_write_close(a) == ARCHIVE_OK && ok;
  archive_write_free(a);
  return ok ? std::string(buffer.data(), used) : std::string();
}

// Every file, folder and link below `dir` (relative name -> content, "<dir>" or "-> target").
inline std::map<std::string, std::string> Snapshot(const std::string& dir) {
  namespace fs = std::filesystem;
  std::map<std::string, std::string> tree;
  std::error_code ec;
  for (fs::recursive_directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = fs::relative(it->path(), dir).string();
    if (it->is_symlink())
      tree[name] = "-> " + fs::read_symlink(it->path()).string();
    else if (it->is_directory())
      tree[name] = "<dir>";
    else
      tree[name] = ReadFile(it->path().string());
  }
  return tree;
}

}  // namespace arl::test
