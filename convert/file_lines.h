#pragma once
// Line-level access to files without loading them: a byte source over one or two files, a reader
// that hands out lines backwards from a given offset and a forward line scanner. Lines end at CR LF, LF or
// CR, as everywhere in the program; offsets are exact, so a line found here can be cut off at its first byte.
// Read failures raise EInOutError.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace arl {

// Reads `length` bytes at `offset` into `out`; returns the count read (short only at the end).
using ByteSource = std::function<std::size_t(std::int64_t offset, std::size_t length, char* out)>;

// A source reading an open file descriptor.
ByteSource FileSource(int fd);

// Hands out the lines of [0, end) of a source from the last one backwards. `end` must be the start
// of a line or the end of the content; a last line without an end counts as a line.
class BackwardLines {
 public:
  BackwardLines(ByteSource source, std::int64_t end);
  // The previous line, without its end, and the offset of its first byte. False before the start.
  bool Previous(std::string_view& line, std::int64_t& offset);

 private:
  bool Load(std::int64_t need);  // makes the buffer start earlier; false at the start of content
  ByteSource source_;
  std::string buf_;
  std::int64_t bufStart_ = 0;  // content offset of buf_[0]
  std::int64_t cur_;           // the start of the line handed out last
};

// Calls `visit(line, offset)` for each line of the open file from its start until it returns true.
// Returns the offset of the line that stopped it, or -1.
std::int64_t ScanLinesForward(int fd, const std::function<bool(std::string_view, std::int64_t)>& visit);

// Opens for reading; raises EInOutError with the path when it cannot.
int OpenForReading(const std::string& path);

// Strips one line end (CR LF, LF or CR) from the end of text.
std::string_view WithoutLineEnd(std::string_view text);

}  // namespace arl
