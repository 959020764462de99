#pragma once
// BlockCopy: appends a year file, from a byte offset to its end, to the merge file as whole lines
// ending in CR LF, the way a file copier would: in large blocks, each cut back to its last line
// break. A block that already holds only CR LF line ends is written as it stands; any other block
// (LF or CR line ends, a last line without an end) is rewritten line by line. After every block the
// cancel token is read; now and then, and after the file's last block, the status bar shows the last
// line written. A cancel stops only where the merge file ends in a whole
// line. Read and write errors raise EInOutError.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "merge/merge_writer.h"
#include "merge/pacer.h"

namespace arl {

class BlockCopy {
 public:
  // `onLine` is called with the last whole line written, when the pacer finds progress due.
  BlockCopy(std::size_t blockBytes, Pacer& pacer, std::function<void(std::string_view)> onLine);

  // Copies `source` from `offset` to its end. Returns false when the run was cancelled.
  bool Run(const std::string& source, std::int64_t offset, MergeWriter& out);

 private:
  void Normalize(const char* data, std::size_t size);
  void ReportLastLine(const char* data, std::size_t size);

  std::size_t blockBytes_;
  Pacer& pacer_;
  std::function<void(std::string_view)> onLine_;
  std::vector<char> block_;
  std::string rewritten_;
  bool pendingCr_ = false;  // the last byte handled was a CR, whose LF may follow
  bool midLine_ = false;    // what was written so far ends inside a line
};

}  // namespace arl
