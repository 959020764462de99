#pragma once
// MergeWriter: the merge file open for writing, either made afresh or appended to. A fresh file is
// written as "<merge file>.tmp" and Close() puts it in place durably (flushed before the rename, the
// folder after it), so a crash or a power loss never leaves a half-made merge file under its name;
// dropped without Close() (an error on the way), the temporary file goes and the folder is as it
// was. Appends go to the file itself and Close() flushes them; a crash half-way leaves a torn last
// line, which CutTornTail removes before the next merge reads the file. Every failure raises
// EInOutError (EDiskFull for a full disk).
#include <cstddef>
#include <cstdint>
#include <string>

#include "support/unique_fd.h"

namespace arl {

class MergeWriter {
 public:
  enum class Mode { Create, Append };
  MergeWriter(const std::string& path, Mode mode);
  ~MergeWriter();
  MergeWriter(const MergeWriter&) = delete;
  MergeWriter& operator=(const MergeWriter&) = delete;

  void Write(const char* data, std::size_t size);
  // Puts what was written in place durably; nothing is written after it.
  void Close();

 private:
  static constexpr std::int64_t kFlushStep = std::int64_t{2} << 20;

  std::string path_, tempPath_;  // tempPath_ is empty when appending
  UniqueFd fd_;
  std::int64_t written_ = 0, flushStarted_ = 0;
};

// Cuts a file that does not end in a line break back to just after its last LF (to empty when it
// holds none). Reads only the tail, backwards, as far as the last line goes. Returns whether it cut.
// Raises EInOutError when the file can't be opened, read or cut.
bool CutTornTail(const std::string& path);

// The file's modification time in nanoseconds since the epoch, or -1 when it can't be read.
long long ModificationTime(const std::string& path);

}  // namespace arl
