#pragma once
// File chores of the end-to-end benchmark that stay outside every timing: a scratch tree, whole-file
// writes, year files made from another year, sizes, taking files and folders back to a recorded state. Every
// failure ends the benchmark with a message (status 2): a benchmark on a half-prepared tree would measure the
// wrong thing.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace arl::benchutil {

namespace fs = std::filesystem;

// The scratch tree that Fail removes on its way out (gigabytes must not stay behind in /tmp).
inline std::string& ScratchToRemove() {
  static std::string path;
  return path;
}

[[noreturn]] inline void Fail(const std::string& what) {
  std::fprintf(stderr, "bench: %s\n", what.c_str());
  std::error_code ec;
  if (!ScratchToRemove().empty() && std::getenv("ARL_BENCH_KEEP") == nullptr)
    fs::remove_all(ScratchToRemove(), ec);
  std::exit(2);
}

inline void WriteFile(const std::string& path, const std::string& text, bool append = false) {
  std::FILE* f = std::fopen(path.c_str(), append ? "ab" : "wb");
  if (f == nullptr || std::fwrite(text.data(), 1, text.size(), f) != text.size() || std::fclose(f) != 0)
    Fail("cannot write " + path);
}

// Drops the cached pages of every file under `dir`, which must have been flushed to disk: kept
// trees then do not crowd the runs' memory.
inline void DropCachedPages(const std::string& dir) {
  for (const auto& entry : fs::recursive_directory_iterator(dir)) {
    if (!entry.is_regular_file()) continue;
    const int fd = ::open(entry.path().c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) Fail("cannot open " + entry.path().string());
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
    ::close(fd);
  }
}

inline std::string ReadFile(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) Fail("cannot read " + path);
  std::string text(fs::file_size(path), '\0');
  const bool ok = std::fread(text.data(), 1, text.size(), f) == text.size();
  std::fclose(f);
  if (!ok) Fail("cannot read " + path);
  return text;
}

// The year file's text with the first `from` of every line (its date) changed to `to`.
inline std::string WithYear(const std::string& text, const std::string& from, const std::string& to) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t at = 0; at < text.size();) {
    std::size_t end = text.find('\n', at);
    end = end == std::string::npos ? text.size() : end + 1;
    std::string line = text.substr(at, end - at);
    if (const auto y = line.find(from); y != std::string::npos) line.replace(y, from.size(), to);
    out += line;
    at = end;
  }
  return out;
}

// The regular files directly in `dir` (full paths), sorted, optionally only those ending in `ending`.
inline std::vector<std::string> FilesIn(const std::string& dir, const std::string& ending = "") {
  std::vector<std::string> files;
  std::error_code ec;
  for (const auto& e : fs::directory_iterator(dir, ec)) {
    const std::string p = e.path().string();
    if (e.is_regular_file() && p.size() >= ending.size() && p.ends_with(ending)) files.push_back(p);
  }
  std::sort(files.begin(), files.end());
  return files;
}

inline std::uintmax_t TotalSize(const std::vector<std::string>& files) {
  std::uintmax_t n = 0;
  for (const auto& f : files) n += fs::file_size(f);
  return n;
}

// Sizes of files, to cut them back to after a run appended to them.
class SizeRecord {
 public:
  explicit SizeRecord(const std::vector<std::string>& files) {
    for (const auto& f : files) sizes_[f] = fs::file_size(f);
  }
  void CutBack() const {
    for (const auto& [file, size] : sizes_) fs::resize_file(file, size);
  }
  bool Unchanged() const {
    for (const auto& [file, size] : sizes_)
      if (fs::file_size(file) != size) return false;
    return true;
  }

 private:
  std::map<std::string, std::uintmax_t> sizes_;
};

// The files of one directory, to take it back there after a run: files the run added go, and empty
// files it removed (a year's marker) come back. A removed file with content cannot be restored.
class DirState {
 public:
  explicit DirState(std::string dir) : dir_(std::move(dir)) {
    for (const auto& f : FilesIn(dir_)) sizes_[f] = fs::file_size(f);
  }
  void Restore() const {
    for (const auto& f : FilesIn(dir_))
      if (!sizes_.contains(f)) fs::remove(f);
    for (const auto& [file, size] : sizes_) {
      if (fs::exists(file)) continue;
      if (size != 0) Fail("a run removed " + file);
      WriteFile(file, "");
    }
  }

 private:
  std::string dir_;
  std::map<std::string, std::uintmax_t> sizes_;
};

// A fresh directory under the system's temporary directory, removed at the end unless ARL_BENCH_KEEP
// is set (to look at the homes and logs afterwards).
class ScratchTree {
 public:
  ScratchTree() {
    std::string pattern = (fs::temp_directory_path() / "arl-cli-bench-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) Fail("cannot make a scratch directory");
    path_ = pattern + "/";
    ScratchToRemove() = path_;
  }
  ~ScratchTree() {
    if (std::getenv("ARL_BENCH_KEEP") != nullptr) {
      std::printf("kept %s\n", path_.c_str());
      return;
    }
    std::error_code ec;
    fs::remove_all(path_, ec);
    ScratchToRemove().clear();
  }
  ScratchTree(const ScratchTree&) = delete;
  ScratchTree& operator=(const ScratchTree&) = delete;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

}  // namespace arl::benchutil
