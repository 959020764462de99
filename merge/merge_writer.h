#pragma once
// MergeWriter: the merge file open for writing, either created empty or appended to. Every write
// goes out whole or raises EInOutError (a full disk); a write cut short by a crash leaves a torn last
// line, which CutTornTail removes before the next merge reads the file.
#include <cstddef>
#include <string>

namespace arl {

class MergeWriter {
 public:
  enum class Mode { Create, Append };
  MergeWriter(const std::string& path, Mode mode);  // raises EInOutError
  ~MergeWriter();
  MergeWriter(const MergeWriter&) = delete;
  MergeWriter& operator=(const MergeWriter&) = delete;

  void Write(const char* data, std::size_t size);  // raises EInOutError
  void Close();

 private:
  std::string path_;
  int fd_ = -1;
};

// Cuts a file that does not end in a line break back to just after its last LF (to empty when it
// holds none). Reads only the tail, backwards, as far as the last line goes. Returns whether it cut.
// Raises EInOutError when the file can't be opened, read or cut.
bool CutTornTail(const std::string& path);

// The file's modification time in nanoseconds since the epoch, or -1 when it can't be read.
long long ModificationTime(const std::string& path);

}  // namespace arl
