#pragma once
// DayFileReader: reads a day file a piece at a time into one buffer small enough to stay in the
// processor's cache while the piece's lines are converted, the way `cat` streams a file; converting
// from a whole-file buffer instead moved every byte through main memory twice more. Each piece is
// whole lines: it ends just behind a LF, or at the end of the file (a line longer than a piece, or
// a file whose lines end in CR alone, makes the buffer grow). Only regular files are read (a pipe or
// a device could stall the run); failures raise EInOutError.
#include <cstdint>
#include <string>
#include <string_view>

#include "convert/byte_buffer.h"

namespace arl {

class DayFileReader {
 public:
  static constexpr std::size_t kPiece = 256 << 10;
  static constexpr std::size_t kLineEndLook = 4 << 10;  // read past the end of a part for its last LF

  explicit DayFileReader(std::size_t piece = kPiece) : piece_(piece) {}
  ~DayFileReader() { Close(); }
  DayFileReader(const DayFileReader&) = delete;
  DayFileReader& operator=(const DayFileReader&) = delete;

  // Reads the file from its start, or only a part of it: with `from` > 0 the lines begin behind the
  // first LF at or after `from`; with `until` >= 0 they end with the first LF at or after `until`.
  // The parts [0, until = m) and [from = m, end) hold every line of the file exactly once.
  void Open(const std::string& path, std::int64_t from = 0, std::int64_t until = -1);
  // The next piece of whole lines, valid until the following call; false at the end of the file.
  bool Next(std::string_view& piece);
  // How far the next call of Next() reads at most, but for a line longer than a piece.
  std::int64_t Reach() const { return offset_ + static_cast<std::int64_t>(buffer_.size() + piece_); }
  // Moves the end of the part (see Open) to the first LF at or after `until`, which must not lie
  // before any piece handed out.
  void SetUntil(std::int64_t until) { until_ = until; }

 private:
  void Close();
  bool ReadMore();         // false at the end of the file
  bool SkipToLineStart();  // false when no LF is left

  std::size_t piece_;
  std::string path_;
  int fd_ = -1;
  ByteBuffer buffer_;
  std::size_t handedOut_ = 0;  // bytes at the front of buffer_ already returned
  std::int64_t offset_ = 0;    // file offset of buffer_[0]
  std::int64_t until_ = -1;
  bool atEnd_ = false;
  bool partDone_ = false;    // the part ended before the end of the file
  bool linesAhead_ = false;  // the buffer behind handedOut_ holds whole lines, not only a line's start
};

}  // namespace arl
