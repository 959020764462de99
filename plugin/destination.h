#pragma once
// Where extracted entries land, and the only way they get there.
// Destination holds the output directory open and reaches every level below it through directory
// descriptors opened without following links, so an entry can never be written outside it, even when
// a link already sits in the tree. AtomicFile writes one file under a temporary name in its final
// folder and renames it into place only when it is complete; on any failure (or when dropped) the
// temporary file is removed, so no torn file ever appears under a final name.
#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

#include "support/unique_fd.h"

namespace arl::plugin {

// Splits an archive entry name into folder levels ("/" and "\" both separate; empty and "." levels
// are dropped, so "./" gives no level at all). Refuses, with a reason in `problem`, an empty or
// absolute name and any ".." level.
bool SplitEntryName(const std::string& name, std::vector<std::string>& parts, std::string& problem);

class Destination {
 public:
  // Creates the directory (with missing parents) and opens it; Problem() tells why when it fails.
  explicit Destination(const std::string& path);
  bool Ok() const { return root_.Valid(); }
  const std::string& Problem() const { return problem_; }
  // Opens the folder reached by `parts` below the root, creating missing levels.
  UniqueFd OpenFolder(const std::vector<std::string>& parts, std::string& problem) const;

 private:
  UniqueFd root_;
  std::string problem_;
};

class AtomicFile {
 public:
  AtomicFile(int folderFd, std::string name) : folder_(folderFd), name_(std::move(name)) {}
  ~AtomicFile();
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;

  bool Open(std::string& problem);
  bool Write(const void* data, std::size_t size, std::string& problem);
  // Flushes the data, sets the modification time (when not 0) and renames the file into place.
  bool Commit(std::time_t modified, std::string& problem);

 private:
  int folder_;
  std::string name_;
  std::string tempName_;
  UniqueFd file_;
};

// True when something (anything, a link included) has this name in the folder.
bool NameExists(int folderFd, const std::string& name);

}  // namespace arl::plugin
